#include "capture/source_choice.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tavro {
namespace {

TEST(TestPicture, DeliversBgrFramesOfItsSizeAtThirtyPerSecond) {
  TestPictureSource source;
  ASSERT_TRUE(source.open());
  cv::Mat frame;
  ASSERT_TRUE(source.read(frame));
  EXPECT_EQ(frame.cols, 160);
  EXPECT_EQ(frame.rows, 120);
  EXPECT_EQ(frame.type(), CV_8UC3);
  EXPECT_DOUBLE_EQ(source.framesPerSecond(), 30.0);
  EXPECT_EQ(source.description(), "Test picture");
}

TEST(TestPicture, MovesAndGivesEveryFrameItsOwnBuffer) {
  TestPictureSource source;
  source.open();
  cv::Mat first;
  cv::Mat second;
  ASSERT_TRUE(source.read(first));
  ASSERT_TRUE(source.read(second));
  EXPECT_NE(first.data, second.data);  // a published frame is never overwritten
  EXPECT_GT(cv::norm(first, second, cv::NORM_L1), 0.0);
}

TEST(TestPicture, KeepsToItsFrameRate) {
  TestPictureSource source({160, 120}, 50.0);
  source.open();
  cv::Mat frame;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(source.read(frame));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // Ten periods of 20 ms after the first frame; an upper bound for a slow, busy machine.
  EXPECT_GE(elapsed, std::chrono::milliseconds(180));
  EXPECT_LT(elapsed, std::chrono::seconds(30));
  EXPECT_EQ(frame.cols, 160);
  EXPECT_EQ(frame.rows, 120);
}

TEST(TestPicture, OddSizesAndRatesAreMadeUsable) {
  TestPictureSource source({1, 0}, -3.0);
  cv::Mat frame;
  ASSERT_TRUE(source.read(frame));  // read before open is fine too
  EXPECT_EQ(frame.cols, 16);
  EXPECT_EQ(frame.rows, 16);
  EXPECT_DOUBLE_EQ(source.framesPerSecond(), 30.0);
}

}  // namespace
}  // namespace tavro

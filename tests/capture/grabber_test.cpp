#include "capture/frame_grabber.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "tests/capture/fake_source.h"

namespace tavro {
namespace {

using namespace std::chrono_literals;
using testing::FakeScript;
using testing::FakeSource;

// Records what a sink is told, from the grabbing thread.
class SinkLog : public FrameSink {
 public:
  void push(const cv::Mat& frame, std::chrono::steady_clock::time_point) override {
    std::lock_guard lock(mutex_);
    frames_.push_back(frame);
  }
  void sourceLost(const std::string& message) override {
    std::lock_guard lock(mutex_);
    lostMessages_.push_back(message);
  }
  std::size_t frameCount() const {
    std::lock_guard lock(mutex_);
    return frames_.size();
  }
  std::vector<std::string> lostMessages() const {
    std::lock_guard lock(mutex_);
    return lostMessages_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<cv::Mat> frames_;
  std::vector<std::string> lostMessages_;
};

bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

GrabberOptions quickOptions() {
  GrabberOptions options;
  options.openTimeout = 300ms;
  return options;
}

TEST(FrameGrabber, WithoutPreferredSourceRunsTheTestPicture) {
  FrameGrabber grabber({nullptr, "No camera: test picture"});
  const cv::Mat frame = grabber.waitForFrame(30s).frame;
  ASSERT_FALSE(frame.empty());
  EXPECT_EQ(frame.cols, 160);
  EXPECT_EQ(frame.rows, 120);
  EXPECT_EQ(grabber.status(), "No camera: test picture");
  EXPECT_TRUE(grabber.usingTestPicture());
  EXPECT_DOUBLE_EQ(grabber.framesPerSecond(), 30.0);
}

TEST(FrameGrabber, UsesThePreferredSourceWhenItOpens) {
  FrameGrabber grabber({std::make_unique<FakeSource>(), "unused"}, {}, GrabberOptions{});  // 3 s to open: ample on a busy machine
  const cv::Mat frame = grabber.waitForFrame(30s).frame;
  ASSERT_FALSE(frame.empty());
  EXPECT_EQ(frame.at<cv::Vec3b>(0, 0), cv::Vec3b(10, 200, 30));
  EXPECT_EQ(grabber.status(), "Fake camera");
  EXPECT_FALSE(grabber.usingTestPicture());
}

TEST(FrameGrabber, FallsBackWhenThePreferredSourceDoesNotOpen) {
  FrameGrabber grabber({std::make_unique<FakeSource>(FakeScript{.opens = false}), "unused"}, {}, quickOptions());
  ASSERT_FALSE(grabber.waitForFrame(30s).frame.empty());
  EXPECT_EQ(grabber.status(), "Fake camera not available: test picture");
  EXPECT_TRUE(grabber.usingTestPicture());
}

TEST(FrameGrabber, DoesNotWaitForASourceThatHangsInOpen) {
  // The source answers only once the gate opens: any frame before is the test picture's.
  const FakeScript hangs{.blocksInOpen = true};
  {
    FrameGrabber grabber({std::make_unique<FakeSource>(hangs), "unused"}, {}, quickOptions());
    ASSERT_FALSE(grabber.waitForFrame(30s).frame.empty());
    EXPECT_EQ(grabber.status(), "Fake camera did not answer: test picture");
  }
  hangs.gate->opened.set_value();
}

TEST(FrameGrabber, SinkGetsTheLatestFrameAtOnceAndThenEveryFrame) {
  FrameGrabber grabber({std::make_unique<FakeSource>(), "unused"}, {}, GrabberOptions{});  // 3 s to open: ample on a busy machine
  ASSERT_FALSE(grabber.waitForFrame(30s).frame.empty());
  SinkLog sink;
  grabber.attachSink(sink);
  EXPECT_EQ(sink.frameCount(), 1u);
  const std::uint64_t before = grabber.frameCount();
  ASSERT_TRUE(waitFor([&] { return grabber.frameCount() >= before + 5; }, 30s));
  grabber.detachSink();
  const std::size_t received = sink.frameCount();
  // The one at attaching plus each frame in between, give or take one that
  // arrived between attaching and counting and one in flight at detaching.
  const std::uint64_t after = grabber.frameCount();
  EXPECT_GE(received, after - before);
  EXPECT_LE(received, after - before + 2);
  ASSERT_TRUE(waitFor([&] { return grabber.frameCount() >= after + 3; }, 30s));
  EXPECT_EQ(sink.frameCount(), received);  // nothing after detaching
}

TEST(FrameGrabber, LostSourceIsReportedAndTheTestPictureTakesOver) {
  FrameGrabber grabber({std::make_unique<FakeSource>(FakeScript{.framesBeforeLoss = 5}), "unused"}, {},
                       GrabberOptions{});
  ASSERT_FALSE(grabber.waitForFrame(30s).frame.empty());
  SinkLog sink;
  grabber.attachSink(sink);
  ASSERT_TRUE(waitFor([&] { return grabber.usingTestPicture(); }, 30s));
  EXPECT_EQ(grabber.status(), "Camera lost: test picture");
  ASSERT_EQ(sink.lostMessages().size(), 1u);
  EXPECT_NE(sink.lostMessages()[0].find("camera stopped delivering frames"), std::string::npos);
  const std::uint64_t count = grabber.frameCount();
  ASSERT_TRUE(waitFor([&] { return grabber.frameCount() > count + 2; }, 30s));
  EXPECT_EQ(grabber.latestFrame().frame.cols, 160);  // test picture frames now
}

}  // namespace
}  // namespace tavro

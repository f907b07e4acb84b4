#include "capture/source_choice.h"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>


namespace tavro {
namespace {

using Kind = CameraSetting::Kind;

TEST(CameraSetting, UnsetOrEmptyMeansAutomatic) {
  EXPECT_EQ(parseCameraSetting(nullptr).kind, Kind::Automatic);
  EXPECT_EQ(parseCameraSetting("").kind, Kind::Automatic);
}

TEST(CameraSetting, TestForcesTheTestPicture) { EXPECT_EQ(parseCameraSetting("test").kind, Kind::TestPicture); }

TEST(CameraSetting, NumberOrDevicePathPicksThatCamera) {
  const CameraSetting byNumber = parseCameraSetting("2");
  EXPECT_EQ(byNumber.kind, Kind::Device);
  EXPECT_EQ(byNumber.devicePath, "/dev/video2");
  const CameraSetting byPath = parseCameraSetting("/dev/video10");
  EXPECT_EQ(byPath.kind, Kind::Device);
  EXPECT_EQ(byPath.devicePath, "/dev/video10");
}

TEST(CameraSetting, AnythingElseIsNotUnderstood) {
  for (const char* value : {"TEST", "foo", "-1", "1.5", "/dev/video", "/dev/videoX", "/dev/sda", "99999"}) {
    EXPECT_EQ(parseCameraSetting(value).kind, Kind::Invalid) << value;
  }
}

TEST(SourceChoice, TestSettingUsesNoCamera) {
  const SourceChoice choice = chooseSource({Kind::TestPicture, {}}, {"/dev/video0"});
  EXPECT_EQ(choice.preferred, nullptr);
  EXPECT_EQ(choice.fallbackNote, "Test picture, as asked for");
}

TEST(SourceChoice, AutomaticWithoutDevicesSaysNoCamera) {
  const SourceChoice choice = chooseSource({}, {});
  EXPECT_EQ(choice.preferred, nullptr);
  EXPECT_EQ(choice.fallbackNote, "No camera: test picture");
}

TEST(SourceChoice, AutomaticTakesTheFirstDevice) {
  const SourceChoice choice = chooseSource({}, {"/dev/video3", "/dev/video7"});
  ASSERT_NE(choice.preferred, nullptr);
  EXPECT_EQ(choice.preferred->description(), "Camera /dev/video3");
}

TEST(SourceChoice, ChosenDeviceIsTriedEvenWhenNotListed) {
  const SourceChoice choice = chooseSource({Kind::Device, "/dev/video5"}, {});
  ASSERT_NE(choice.preferred, nullptr);
  EXPECT_EQ(choice.preferred->description(), "Camera /dev/video5");
}

TEST(SourceChoice, UnknownSettingIsQuotedInTheNote) {
  const SourceChoice choice = chooseSource(parseCameraSetting("front"), {"/dev/video0"});
  EXPECT_EQ(choice.preferred, nullptr);
  EXPECT_EQ(choice.fallbackNote, "TAVRO_CAMERA=front not understood: test picture");
}

// A camera frame of another size: its centred 4:3 part, scaled to 160 x 120.
TEST(CameraPicture, IsFittedToTheControlsPictureSize) {
  const struct {
    cv::Size frame;
    cv::Rect centredPart;
  } cases[] = {
      {{1280, 720}, {160, 0, 960, 720}},  // 720 * 4 / 3 = 960 wide, (1280 - 960) / 2 in
      {{120, 240}, {0, 75, 120, 90}},     // 120 * 3 / 4 = 90 high, (240 - 90) / 2 down
  };
  for (const auto& [size, part] : cases) {
    cv::Mat frame(size, CV_8UC3, cv::Scalar(0, 0, 255));
    frame(part).setTo(cv::Scalar(10, 200, 30));
    const cv::Mat fitted = fitToControlPicture(frame);
    ASSERT_EQ(fitted.size(), cv::Size(160, 120)) << size;
    EXPECT_EQ(fitted.at<cv::Vec3b>(0, 0), cv::Vec3b(10, 200, 30)) << size;
    EXPECT_EQ(fitted.at<cv::Vec3b>(119, 159), cv::Vec3b(10, 200, 30)) << size;
  }
  // The right size already: the same frame.
  const cv::Mat exact(120, 160, CV_8UC3, cv::Scalar(1, 2, 3));
  EXPECT_EQ(fitToControlPicture(exact).data, exact.data);
}

}  // namespace
}  // namespace tavro

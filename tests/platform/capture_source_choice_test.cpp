#include "platform/capture/source_choice.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(choice.fallbackNote, "Test picture (TAVRO_CAMERA=test)");
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

}  // namespace
}  // namespace tavro

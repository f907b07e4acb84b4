// A camera setting handed to the control, as tavro-cam --camera does, wins
// over TAVRO_CAMERA.

#include <gtest/gtest.h>

#include "capture/ez_vid_cap.h"
#include "capture/source_choice.h"
#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using CameraSettingTest = testing::CaptureTest;

TEST_F(CameraSettingTest, AGivenSettingWinsOverTheVariable) {
  qputenv("TAVRO_CAMERA", "front");
  const struct {
    const char* given;
    const char* status;
  } cases[] = {
      {"test", "Test picture, as asked for"},
      {"/dev/video97", "Camera /dev/video97 not available: test picture"},
  };
  for (const auto& [given, status] : cases) {
    ezVidCap control(parseCameraSetting(given));
    control.WriteFrameFile(pathOf("x.bmp"));
    EXPECT_EQ(control.statusText(), status) << given;
  }
}

}  // namespace
}  // namespace tavro

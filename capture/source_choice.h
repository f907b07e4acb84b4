#pragma once
// Which source the capture control uses: a V4L2 camera read through OpenCV,
// or the test picture. Automatic: the first camera device present, else the
// test picture. The environment variable TAVRO_CAMERA
// overrides that: "test" forces the test picture, a number N or a path
// /dev/videoN picks that camera.

#include <memory>
#include <string>
#include <vector>

#include "capture/frame_source.h"

namespace tavro {

struct CameraSetting {
  enum class Kind { Automatic, TestPicture, Device, Invalid };
  Kind kind = Kind::Automatic;
  std::string devicePath;  // for Device
};

// The meaning of a TAVRO_CAMERA value; null or empty means automatic.
CameraSetting parseCameraSetting(const char* value);
// The setting TAVRO_CAMERA gives.
CameraSetting cameraSettingFromEnvironment();

struct SourceChoice {
  // The camera to try; empty when the test picture is the only choice.
  std::unique_ptr<FrameSource> preferred;
  // What the control's area says when the test picture stands in.
  std::string fallbackNote;
  // The test picture is what the user chose, not a stand-in for a camera:
  // its frames may then go into face files.
  bool testPictureAskedFor = false;
};

// A camera's frame cut to the picture's 4:3 shape about its centre and
// scaled to the control's picture size; 8-bit BGR frames only.
cv::Mat fitToControlPicture(const cv::Mat& frame);

SourceChoice chooseSource(const CameraSetting& setting, const std::vector<std::string>& devices);

// The /dev/videoN device nodes present, in order of N.
std::vector<std::string> cameraDevices();

}  // namespace tavro

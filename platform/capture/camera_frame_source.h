#pragma once
// A V4L2 camera read through OpenCV, named by its device path.

#include <string>

#include <opencv2/videoio.hpp>

#include "platform/capture/frame_source.h"

namespace tavro {

class CameraFrameSource : public FrameSource {
 public:
  explicit CameraFrameSource(std::string devicePath);

  bool open() override;
  bool read(cv::Mat& frame) override;
  double framesPerSecond() const override;
  std::string description() const override;

 private:
  std::string devicePath_;
  cv::VideoCapture capture_;
  double rate_ = 30.0;
};

}  // namespace tavro

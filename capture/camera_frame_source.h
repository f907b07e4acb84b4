#pragma once
// A V4L2 camera read through OpenCV, named by its device path. It is asked for
// the control's picture size; whatever size it sends is fitted to that.

#include <string>

#include <opencv2/videoio.hpp>

#include "capture/frame_source.h"

namespace tavro {

// The frame cut to the picture's 4:3 shape about its centre and scaled to
// the control's picture size; 8-bit BGR frames only.
cv::Mat fitToControlPicture(const cv::Mat& frame);

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

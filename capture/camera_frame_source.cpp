#include "capture/camera_frame_source.h"

#include <algorithm>
#include <cstdint>

#include <opencv2/imgproc.hpp>

namespace tavro {

namespace {

// Cameras report 0, negative or absurd rates at times; recordings need a sane one.
double saneRate(double reported) {
  return reported >= 1.0 && reported <= 120.0 ? reported : 30.0;
}

// Frames leave here as 8-bit BGR whatever the driver hands out.
bool toBgr(cv::Mat& frame) {
  if (frame.empty() || frame.depth() != CV_8U) return false;
  switch (frame.channels()) {
    case 3: return true;
    case 1: cv::cvtColor(frame, frame, cv::COLOR_GRAY2BGR); return true;
    case 4: cv::cvtColor(frame, frame, cv::COLOR_BGRA2BGR); return true;
    default: return false;
  }
}

}  // namespace

cv::Mat fitToControlPicture(const cv::Mat& frame) {
  const cv::Size target = kControlPictureSize;
  if (frame.empty() || frame.size() == target) return frame;
  // The widest centred part of the target's shape, in whole pixels.
  cv::Rect part(0, 0, frame.cols, frame.rows);
  if (std::int64_t{frame.cols} * target.height > std::int64_t{frame.rows} * target.width) {
    part.width = std::max(1, int(std::int64_t{frame.rows} * target.width / target.height));
    part.x = (frame.cols - part.width) / 2;
  } else {
    part.height = std::max(1, int(std::int64_t{frame.cols} * target.height / target.width));
    part.y = (frame.rows - part.height) / 2;
  }
  cv::Mat fitted;
  cv::resize(frame(part), fitted, target, 0, 0, cv::INTER_AREA);
  return fitted;
}

CameraFrameSource::CameraFrameSource(std::string devicePath) : devicePath_(std::move(devicePath)) {}

// A device node that opens but delivers nothing (a metadata node) is no camera,
// hence the first frame is read here.
bool CameraFrameSource::open() {
  try {
    if (!capture_.open(devicePath_, cv::CAP_V4L2)) return false;
    // A request only: many cameras offer 160 x 120, the rest are fitted in read().
    capture_.set(cv::CAP_PROP_FRAME_WIDTH, kControlPictureSize.width);
    capture_.set(cv::CAP_PROP_FRAME_HEIGHT, kControlPictureSize.height);
    rate_ = saneRate(capture_.get(cv::CAP_PROP_FPS));
    cv::Mat first;
    return read(first);
  } catch (const cv::Exception&) {
    return false;
  }
}

bool CameraFrameSource::read(cv::Mat& frame) {
  try {
    cv::Mat fresh;
    if (!capture_.read(fresh) || !toBgr(fresh)) return false;
    frame = fitToControlPicture(fresh);
    return true;
  } catch (const cv::Exception&) {
    return false;
  }
}

double CameraFrameSource::framesPerSecond() const { return rate_; }

std::string CameraFrameSource::description() const { return "Camera " + devicePath_; }

}  // namespace tavro

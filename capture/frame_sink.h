#pragma once
// Something that takes every frame the grabber delivers, in order, such as a
// recording. Called on the grabbing thread; must not block.

#include <chrono>
#include <string>

#include <opencv2/core.hpp>

namespace tavro {

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // arrived: when the grabber received the frame from its source.
  virtual void push(const cv::Mat& frame, std::chrono::steady_clock::time_point arrived) = 0;
  // The source stopped delivering; no more frames will come.
  virtual void sourceLost(const std::string& message) = 0;
};

}  // namespace tavro

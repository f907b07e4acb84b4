#pragma once
// A generated, moving picture standing in for a camera, so that every camera
// command works on a machine without one. Frames come at a steady rate.

#include <chrono>
#include <cstdint>

#include "capture/source_choice.h"

namespace tavro {

class TestPictureSource : public FrameSource {
 public:
  static constexpr double kDefaultRate = 30.0;

  explicit TestPictureSource(cv::Size size = kControlPictureSize, double framesPerSecond = kDefaultRate);

  bool open() override;
  bool read(cv::Mat& frame) override;
  double framesPerSecond() const override;
  std::string description() const override;

 private:
  void waitForFrameTime();
  void draw(cv::Mat& frame) const;

  cv::Size size_;
  double rate_;
  cv::Mat background_;
  std::uint64_t frameNumber_ = 0;
  std::chrono::steady_clock::time_point firstFrameTime_;
};

}  // namespace tavro

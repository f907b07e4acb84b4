#pragma once
// A source that behaves as told: opens or not, slowly or not, delivers a
// flat colour, and stops delivering after a number of frames.

#include <chrono>
#include <string>
#include <thread>

#include "platform/capture/frame_source.h"

namespace tavro::testing {

struct FakeScript {
  bool opens = true;
  std::chrono::milliseconds openDelay{0};
  int framesBeforeLoss = -1;  // never lost
  double rate = 30.0;
  cv::Size size{64, 48};
  cv::Scalar colour{10, 200, 30};  // BGR
};

class FakeSource : public FrameSource {
 public:
  explicit FakeSource(FakeScript script = {}) : script_(script) {}

  bool open() override {
    std::this_thread::sleep_for(script_.openDelay);
    return script_.opens;
  }
  bool read(cv::Mat& frame) override {
    if (script_.framesBeforeLoss >= 0 && delivered_ >= script_.framesBeforeLoss) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return false;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(1.0 / script_.rate));
    frame = cv::Mat(script_.size, CV_8UC3, script_.colour);
    ++delivered_;
    return true;
  }
  double framesPerSecond() const override { return script_.rate; }
  std::string description() const override { return "Fake camera"; }

 private:
  FakeScript script_;
  int delivered_ = 0;
};

}  // namespace tavro::testing

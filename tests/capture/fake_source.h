#pragma once
// A source that behaves as told: opens or not, slowly or not, delivers a
// flat colour, stops delivering after a number of frames, or blocks in open
// or read until its gate opens, as a driver may.

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "capture/source_choice.h"

namespace tavro::testing {

// Waiting sources pass once opened is set.
struct Gate {
  std::promise<void> opened;
  std::shared_future<void> passed = opened.get_future().share();
};

// How many fake sources exist, and how many were opened.
struct SourceCounts {
  std::atomic<int> alive{0};
  std::atomic<int> opened{0};
};

struct FakeScript {
  bool opens = true;
  std::chrono::milliseconds openDelay{0};
  int framesBeforeLoss = -1;  // never lost
  double rate = 30.0;
  cv::Size size{64, 48};
  cv::Scalar colour{10, 200, 30};  // BGR
  std::function<double(int frame)> grey{};  // instead: a grey of this level
  bool blocksInOpen = false;       // at the gate
  int framesBeforeBlocking = -1;   // then read() waits at the gate and fails
  std::shared_ptr<Gate> gate = std::make_shared<Gate>();
  std::shared_ptr<SourceCounts> counts = std::make_shared<SourceCounts>();
};

class FakeSource : public FrameSource {
 public:
  explicit FakeSource(FakeScript script = {}) : script_(std::move(script)) { ++script_.counts->alive; }
  ~FakeSource() override { --script_.counts->alive; }

  bool open() override {
    ++script_.counts->opened;
    if (script_.blocksInOpen) script_.gate->passed.wait();
    std::this_thread::sleep_for(script_.openDelay);
    return script_.opens;
  }
  bool read(cv::Mat& frame) override {
    if (script_.framesBeforeBlocking >= 0 && delivered_ >= script_.framesBeforeBlocking) {
      script_.gate->passed.wait();
      return false;
    }
    if (script_.framesBeforeLoss >= 0 && delivered_ >= script_.framesBeforeLoss) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return false;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(1.0 / script_.rate));
    frame = cv::Mat(script_.size, CV_8UC3, script_.grey ? cv::Scalar::all(script_.grey(delivered_)) : script_.colour);
    ++delivered_;
    return true;
  }
  double framesPerSecond() const override { return script_.rate; }
  std::string description() const override { return "Fake camera"; }

 private:
  FakeScript script_;
  int delivered_ = 0;
};

// For the capture control: a new fake each time it opens a source.
inline std::function<SourceChoice()> fakeCamera(FakeScript script = {}) {
  return [script] { return SourceChoice{std::make_unique<FakeSource>(script), "unused"}; };
}

}  // namespace tavro::testing

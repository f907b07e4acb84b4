#pragma once
// Grabs frames on a worker thread and keeps the latest one. When the preferred
// source fails to open in time or later stops delivering, the test picture
// stands in and status() says so. Stopping never waits long on a source that
// blocks: its thread is left to end alone, owning all it still touches.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "capture/source_choice.h"

namespace tavro {

// Takes every frame the grabber delivers, in order, as a recording does; called on the grabbing thread,
// it must not block.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // arrived: when the grabber received the frame from its source.
  virtual void push(const cv::Mat& frame, std::chrono::steady_clock::time_point arrived) = 0;
  // The source stopped delivering; no more frames will come.
  virtual void sourceLost(const std::string& message) = 0;
};

struct GrabberOptions {
  std::chrono::milliseconds openTimeout{3000};
  // How long stopping waits for a read in progress.
  std::chrono::milliseconds stopWait{500};
  int failedReadsBeforeLost = 3;
  // A camera adjusts its exposure over its first frames: a snapshot waits until
  // two frames in a row differ in mean brightness by less than this share, for
  // at most settleTime after the source's first frame.
  double settledChange = 0.02;
  std::chrono::milliseconds settleTime{1000};
  // When a frame arrives; tests give a clock of their own.
  std::function<std::chrono::steady_clock::time_point()> clock = std::chrono::steady_clock::now;
};

// A frame and its number in the order of arrival (1 for the first).
struct NumberedFrame {
  cv::Mat frame;
  std::uint64_t number = 0;
  std::chrono::steady_clock::time_point arrived;
  // The test picture standing in for a camera that is missing or lost.
  bool standIn = false;
};

class FrameGrabber {
 public:
  // Without choice.preferred the test picture runs at once, choice.fallbackNote its status. onFrame
  // runs on the grabbing thread after each new frame, never once the grabber is gone.
  explicit FrameGrabber(SourceChoice choice, std::function<void()> onFrame = {}, GrabberOptions options = {});
  ~FrameGrabber();

  // The latest frame; empty before the first. Never written to once published.
  NumberedFrame latestFrame() const;
  // The latest frame, after waiting up to timeout for one (or a settled one).
  NumberedFrame waitForFrame(std::chrono::milliseconds timeout, bool settled = false) const;
  std::uint64_t frameCount() const;
  double framesPerSecond() const;
  // What the control's area says about the source.
  std::string status() const;
  bool usingTestPicture() const;

  // From now on every frame goes to sink too, starting with the latest one.
  void attachSink(FrameSink& sink);
  void detachSink();

 private:
  struct Shared;  // what the grabbing thread shares with its owner
  class Loop;     // the grabbing thread's own work

  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

// Capture threads running on their own (a camera still opening, a read blocked in the driver, a
// recording being finished): while any is left, the program ends without tearing down its globals.
int captureThreadsLeftRunning();
void countCaptureThreadsLeftRunning(int change);

}  // namespace tavro

#pragma once
// Grabs frames on a worker thread and keeps the latest one. The preferred
// source is opened within a bounded time; when it fails, takes too long or
// later stops delivering, the test picture stands in and status() says so.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/capture/frame_sink.h"
#include "platform/capture/frame_source.h"

namespace tavro {

struct GrabberOptions {
  std::chrono::milliseconds openTimeout{3000};
  int failedReadsBeforeLost = 3;
};

// A frame and its number in the order of arrival (1 for the first).
struct NumberedFrame {
  cv::Mat frame;
  std::uint64_t number = 0;
};

class FrameGrabber {
 public:
  // preferred may be empty: the test picture then runs at once, with
  // fallbackNote as the status. onFrame is called on the grabbing thread
  // after each new frame.
  FrameGrabber(std::unique_ptr<FrameSource> preferred, std::string fallbackNote,
               std::function<void()> onFrame = {}, GrabberOptions options = {});
  ~FrameGrabber();
  FrameGrabber(const FrameGrabber&) = delete;
  FrameGrabber& operator=(const FrameGrabber&) = delete;

  // The latest frame; empty before the first. Never written to once published.
  NumberedFrame latestFrame() const;
  // The latest frame, waiting up to timeout for the first one.
  cv::Mat waitForFrame(std::chrono::milliseconds timeout) const;
  // How many frames came so far.
  std::uint64_t frameCount() const;
  double framesPerSecond() const;
  // What the control's area says about the source.
  std::string status() const;
  bool usingTestPicture() const;

  // From now on every frame goes to sink too, starting with the latest one.
  void attachSink(FrameSink& sink);
  void detachSink();

 private:
  enum class OpenOutcome { Opened, Failed, TimedOut };

  void run(std::stop_token stop, std::unique_ptr<FrameSource> preferred, std::string fallbackNote);
  OpenOutcome openWithinTimeout(std::stop_token stop, std::shared_ptr<FrameSource> source) const;
  void useTestPicture(std::string status);
  void useSource(std::shared_ptr<FrameSource> source, std::string status, bool testPicture);
  void publish(const cv::Mat& frame);
  void reportLost();

  GrabberOptions options_;
  std::function<void()> onFrame_;

  mutable std::mutex mutex_;
  mutable std::condition_variable frameArrived_;
  cv::Mat latest_;
  std::uint64_t frameCount_ = 0;
  double rate_ = 0.0;
  std::string status_ = "Starting";
  bool testPicture_ = false;
  FrameSink* sink_ = nullptr;
  std::shared_ptr<FrameSource> source_;  // used by the grabbing thread only

  std::jthread thread_;  // last: stops and joins before the members above go
};

}  // namespace tavro

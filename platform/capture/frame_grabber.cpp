#include "platform/capture/frame_grabber.h"

#include <future>

#include "platform/capture/test_picture_source.h"

namespace tavro {

FrameGrabber::FrameGrabber(std::unique_ptr<FrameSource> preferred, std::string fallbackNote,
                           std::function<void()> onFrame, GrabberOptions options)
    : options_(options), onFrame_(std::move(onFrame)) {
  thread_ = std::jthread([this, source = std::move(preferred), note = std::move(fallbackNote)](
                             std::stop_token stop) mutable { run(stop, std::move(source), std::move(note)); });
}

FrameGrabber::~FrameGrabber() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

NumberedFrame FrameGrabber::latestFrame() const {
  std::lock_guard lock(mutex_);
  return {latest_, frameCount_};
}

cv::Mat FrameGrabber::waitForFrame(std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  frameArrived_.wait_for(lock, timeout, [this] { return !latest_.empty(); });
  return latest_;
}

std::uint64_t FrameGrabber::frameCount() const {
  std::lock_guard lock(mutex_);
  return frameCount_;
}

double FrameGrabber::framesPerSecond() const {
  std::lock_guard lock(mutex_);
  return rate_;
}

std::string FrameGrabber::status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

bool FrameGrabber::usingTestPicture() const {
  std::lock_guard lock(mutex_);
  return testPicture_;
}

void FrameGrabber::attachSink(FrameSink& sink) {
  std::lock_guard lock(mutex_);
  sink_ = &sink;
  if (!latest_.empty()) sink.push(latest_);
}

void FrameGrabber::detachSink() {
  std::lock_guard lock(mutex_);
  sink_ = nullptr;
}

void FrameGrabber::run(std::stop_token stop, std::unique_ptr<FrameSource> preferred, std::string fallbackNote) {
  if (preferred) {
    std::shared_ptr<FrameSource> camera = std::move(preferred);
    const std::string name = camera->description();
    switch (openWithinTimeout(stop, camera)) {
      case OpenOutcome::Opened: useSource(camera, name, false); break;
      case OpenOutcome::Failed: useTestPicture(name + " not available: test picture"); break;
      case OpenOutcome::TimedOut: useTestPicture(name + " did not answer: test picture"); break;
    }
  } else {
    useTestPicture(fallbackNote);
  }

  int failedReads = 0;
  while (!stop.stop_requested()) {
    cv::Mat frame;
    bool delivered = false;
    try {
      delivered = source_->read(frame) && !frame.empty();
    } catch (...) {
      delivered = false;  // a source that throws is as good as gone
    }
    if (delivered) {
      failedReads = 0;
      publish(frame);
    } else if (++failedReads >= options_.failedReadsBeforeLost) {
      failedReads = 0;
      reportLost();
    }
  }
}

// Opening a camera can block for long inside the driver; it runs on a thread
// of its own that is left to finish alone when it takes too long. It shares
// ownership of the source, so nothing it touches goes away under it.
FrameGrabber::OpenOutcome FrameGrabber::openWithinTimeout(std::stop_token stop,
                                                          std::shared_ptr<FrameSource> source) const {
  auto outcome = std::make_shared<std::promise<bool>>();
  std::future<bool> opened = outcome->get_future();
  std::thread([source, outcome] {
    bool ok = false;
    try {
      ok = source->open();
    } catch (...) {
      ok = false;
    }
    outcome->set_value(ok);
  }).detach();

  const auto deadline = std::chrono::steady_clock::now() + options_.openTimeout;
  while (opened.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
    if (stop.stop_requested() || std::chrono::steady_clock::now() >= deadline) return OpenOutcome::TimedOut;
  }
  return opened.get() ? OpenOutcome::Opened : OpenOutcome::Failed;
}

void FrameGrabber::useTestPicture(std::string status) {
  auto picture = std::make_shared<TestPictureSource>();
  picture->open();
  useSource(std::move(picture), std::move(status), true);
}

void FrameGrabber::useSource(std::shared_ptr<FrameSource> source, std::string status, bool testPicture) {
  const double rate = source->framesPerSecond();
  source_ = std::move(source);
  std::lock_guard lock(mutex_);
  rate_ = rate;
  status_ = std::move(status);
  testPicture_ = testPicture;
}

void FrameGrabber::publish(const cv::Mat& frame) {
  {
    std::lock_guard lock(mutex_);
    latest_ = frame;
    ++frameCount_;
    if (sink_) sink_->push(frame);
  }
  frameArrived_.notify_all();
  if (onFrame_) onFrame_();
}

// A recording cannot carry on with another source: it is told and let go.
void FrameGrabber::reportLost() {
  {
    std::lock_guard lock(mutex_);
    if (sink_) sink_->sourceLost("the camera stopped delivering frames");
    sink_ = nullptr;
  }
  useTestPicture("Camera lost: test picture");
}

}  // namespace tavro

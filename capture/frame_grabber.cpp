#include "capture/frame_grabber.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <utility>

namespace tavro {

namespace {

std::atomic<int> threadsLeftRunning{0};

// What read gives of the shared part, under its lock.
template <class Shared, class Read>
auto underLock(Shared& shared, Read read) {
  std::lock_guard lock(shared.mutex);
  return read(shared);
}

}  // namespace

int captureThreadsLeftRunning() { return threadsLeftRunning; }

void countCaptureThreadsLeftRunning(int change) { threadsLeftRunning += change; }

struct FrameGrabber::Shared {
  Shared(GrabberOptions grabberOptions, bool askedFor, std::function<void()> frameCallback)
      : options(grabberOptions), testPictureAskedFor(askedFor), onFrame(std::move(frameCallback)) {}

  const GrabberOptions options;
  const bool testPictureAskedFor;
  std::atomic<bool> stopping{false};

  std::mutex mutex;
  std::condition_variable changed;  // a frame arrived, or the thread ended
  std::function<void()> onFrame;    // dropped when the owner goes
  NumberedFrame latest;
  double rate = 0.0;
  std::string status = "Starting";
  bool testPicture = false;
  FrameSink* sink = nullptr;
  bool settled = false;
  double lastBrightness = -1;  // of the source's latest frame; none yet
  std::chrono::steady_clock::time_point firstArrival;
  bool ended = false;
  bool leftAlone = false;
};

// Runs on the grabbing thread and owns the source; the owner reaches it only through the shared part.
class FrameGrabber::Loop {
 public:
  Loop(std::shared_ptr<Shared> shared, SourceChoice choice) : shared_(std::move(shared)), choice_(std::move(choice)) {}

  void run() {
    if (choice_.preferred) {
      std::shared_ptr<FrameSource> camera = std::move(choice_.preferred);
      const std::string name = camera->description();
      const std::optional<bool> opened = openWithinTimeout(camera);  // none: no answer in time
      if (opened == true) useSource(camera, name, false);
      else useTestPicture(name + (opened ? " not available: test picture" : " did not answer: test picture"));
    } else {
      useTestPicture(choice_.fallbackNote);
    }

    int failedReads = 0;
    while (!shared_->stopping) {
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
      } else if (++failedReads >= shared_->options.failedReadsBeforeLost) {
        failedReads = 0;
        reportLost();
      }
    }
    end();
  }

 private:
  // Opening a camera can block long in the driver: it runs on a thread of its own, left to finish alone
  // when it takes too long, owning what it touches and closing a camera given up on once it opens.
  std::optional<bool> openWithinTimeout(std::shared_ptr<FrameSource> source) const {
    auto outcome = std::make_shared<std::promise<bool>>();
    std::future<bool> opened = outcome->get_future();
    ++threadsLeftRunning;
    std::thread([source = std::move(source), outcome = std::move(outcome)]() mutable {
      try {
        outcome->set_value(source->open());
      } catch (...) {
        outcome->set_value(false);
      }
      source.reset();
      --threadsLeftRunning;
    }).detach();

    const auto deadline = std::chrono::steady_clock::now() + shared_->options.openTimeout;
    while (opened.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
      if (shared_->stopping || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    }
    return opened.get();
  }

  void useTestPicture(std::string status) {
    auto picture = std::make_shared<TestPictureSource>();
    picture->open();
    useSource(std::move(picture), std::move(status), true);
  }

  void useSource(std::shared_ptr<FrameSource> source, std::string status, bool testPicture) {
    const double rate = source->framesPerSecond();
    source_ = std::move(source);
    std::lock_guard lock(shared_->mutex);
    shared_->rate = rate;
    shared_->status = std::move(status);
    shared_->testPicture = testPicture;
    shared_->settled = false;
    shared_->lastBrightness = -1;
  }

  // The callback runs under the lock, so it never runs once the owner is gone.
  void publish(const cv::Mat& frame) {
    const auto arrived = shared_->options.clock();
    const cv::Scalar mean = cv::mean(frame);
    const double brightness = (mean[0] + mean[1] + mean[2]) / frame.channels();
    std::lock_guard lock(shared_->mutex);
    settle(brightness, arrived);
    const bool standIn = shared_->testPicture && !shared_->testPictureAskedFor;
    shared_->latest = {frame, shared_->latest.number + 1, arrived, standIn};
    if (shared_->sink) shared_->sink->push(frame, arrived);
    shared_->changed.notify_all();
    if (shared_->onFrame) shared_->onFrame();
  }

  // Settled once two frames in a row are about as bright, or the time is up.
  void settle(double brightness, std::chrono::steady_clock::time_point arrived) {
    const double last = std::exchange(shared_->lastBrightness, brightness);
    if (shared_->settled) return;
    if (last < 0) {
      shared_->firstArrival = arrived;
      return;
    }
    shared_->settled = std::abs(brightness - last) < shared_->options.settledChange * std::max(brightness, last) ||
                       brightness == last || arrived - shared_->firstArrival >= shared_->options.settleTime;
  }

  // A recording cannot carry on with another source: it is told and let go.
  void reportLost() {
    {
      std::lock_guard lock(shared_->mutex);
      if (shared_->sink) shared_->sink->sourceLost("the camera stopped delivering frames");
      shared_->sink = nullptr;
    }
    useTestPicture("Camera lost: test picture");
  }

  // The camera closes before the owner hears the thread ended; one left alone frees its frames first.
  void end() {
    source_.reset();
    std::lock_guard lock(shared_->mutex);
    shared_->ended = true;
    shared_->latest = {};
    if (shared_->leftAlone) --threadsLeftRunning;
    shared_->changed.notify_all();
  }

  std::shared_ptr<Shared> shared_;
  SourceChoice choice_;
  std::shared_ptr<FrameSource> source_;
};

FrameGrabber::FrameGrabber(SourceChoice choice, std::function<void()> onFrame, GrabberOptions options)
    : shared_(std::make_shared<Shared>(options, choice.testPictureAskedFor, std::move(onFrame))) {
  thread_ = std::thread([loop = Loop(shared_, std::move(choice))]() mutable { loop.run(); });
}

// A read blocked in the driver may never return: after a short wait the thread, told to stop and cut off, ends alone.
FrameGrabber::~FrameGrabber() {
  std::unique_lock lock(shared_->mutex);
  shared_->stopping = true;
  shared_->sink = nullptr;
  shared_->onFrame = nullptr;
  if (shared_->changed.wait_for(lock, shared_->options.stopWait, [this] { return shared_->ended; })) {
    lock.unlock();
    thread_.join();
    return;
  }
  shared_->leftAlone = true;
  ++threadsLeftRunning;
  lock.unlock();
  thread_.detach();
}

NumberedFrame FrameGrabber::latestFrame() const { return underLock(*shared_, [](auto& s) { return s.latest; }); }

NumberedFrame FrameGrabber::waitForFrame(std::chrono::milliseconds timeout, bool settled) const {
  std::unique_lock lock(shared_->mutex);
  shared_->changed.wait_for(lock, timeout, [&] {
    return (settled ? shared_->settled : !shared_->latest.frame.empty()) || shared_->ended;
  });
  return shared_->latest;
}

std::uint64_t FrameGrabber::frameCount() const {
  return underLock(*shared_, [](auto& s) { return s.latest.number; });
}

double FrameGrabber::framesPerSecond() const { return underLock(*shared_, [](auto& s) { return s.rate; }); }

std::string FrameGrabber::status() const { return underLock(*shared_, [](auto& s) { return s.status; }); }

bool FrameGrabber::usingTestPicture() const { return underLock(*shared_, [](auto& s) { return s.testPicture; }); }

void FrameGrabber::attachSink(FrameSink& sink) {
  std::lock_guard lock(shared_->mutex);
  shared_->sink = &sink;
  if (!shared_->latest.frame.empty()) sink.push(shared_->latest.frame, shared_->latest.arrived);
}

void FrameGrabber::detachSink() { underLock(*shared_, [](auto& s) { s.sink = nullptr; }); }

}  // namespace tavro

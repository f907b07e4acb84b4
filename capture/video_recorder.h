#pragma once
// One recording: MJPG frames in an AVI file, written on a worker thread. The
// file plays at the rate the frames came at, measured while recording: a
// camera slower than it claims, or frames left out when the writing falls
// behind, do not make a fast video. The video goes to a hidden file beside
// the target and takes the target's name only when it is finished and plays,
// so a failed recording never leaves a broken file under that name.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <QString>
#include <opencv2/videoio.hpp>

#include "capture/frame_sink.h"

namespace tavro {

struct RecorderOptions {
  // Below this much free space the recording stops while it still plays.
  std::uintmax_t minimumFreeBytes = 8u << 20;
  // Frames waiting to be written; beyond that new ones are dropped.
  std::size_t maxQueuedFrames = 90;
};

struct RecordingSummary {
  std::uint64_t framesWritten = 0;
  // Frames that came while the queue was full, or that could not be used.
  std::uint64_t framesDropped = 0;
  double framesPerSecond = 0.0;  // as the file says
  // What the user should hear about a recording that was saved ("" when nothing).
  std::string notice;
};

class VideoRecorder : public FrameSink {
 public:
  using FailureCallback = std::function<void(const std::string& message)>;

  // Opens the recording, at framesPerSecond until measured; throws
  // Error(Platform) naming the file when it cannot be written. onFailure is called once, on a worker thread, when
  // the recording stops by itself.
  VideoRecorder(const QString& targetPath, double framesPerSecond, cv::Size frameSize,
                FailureCallback onFailure = {}, RecorderOptions options = {});
  // Finishes a running recording, swallowing its failure.
  ~VideoRecorder() override;
  VideoRecorder(const VideoRecorder&) = delete;
  VideoRecorder& operator=(const VideoRecorder&) = delete;

  void push(const cv::Mat& frame, std::chrono::steady_clock::time_point arrived) override;
  void sourceLost(const std::string& message) override;

  // Writes what is queued, closes the video, sets its rate and gives it its
  // name. Throws Error(Platform) with the reason when the recording failed;
  // the frames recorded before a failure are kept when they play. Every
  // message says how many frames were dropped, if any.
  RecordingSummary finish();

  bool failed() const;
  std::uint64_t framesWritten() const;
  std::uint64_t framesDropped() const;
  const QString& targetPath() const { return targetPath_; }

 private:
  bool openWriter();
  void run();
  void write(const cv::Mat& frame);
  void checkFreeSpace();
  void fail(const std::string& reason);
  bool playsBack() const;
  std::string saveUnderTarget();
  double measuredRate() const;
  std::string droppedText() const;

  QString targetPath_;
  std::string tempPath_;
  cv::Size frameSize_;
  double nominalRate_;
  FailureCallback onFailure_;
  RecorderOptions options_;
  cv::VideoWriter writer_;  // used by the worker thread only once it runs
  bool finished_ = false;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<cv::Mat> queue_;
  bool finishing_ = false;
  std::string failure_;
  std::uint64_t written_ = 0;
  std::uint64_t dropped_ = 0;
  std::uint64_t delivered_ = 0;
  std::chrono::steady_clock::time_point firstArrival_;
  std::chrono::steady_clock::time_point lastArrival_;

  std::thread thread_;
};

}  // namespace tavro

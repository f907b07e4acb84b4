#pragma once
// One recording: MJPG frames in an AVI file, written on a worker thread at
// the source's frame rate. The video goes to a hidden file beside the target
// and takes the target's name only when it is finished and plays, so a
// failed recording never leaves a broken file under that name.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include <QString>
#include <opencv2/videoio.hpp>

#include "platform/capture/frame_sink.h"

namespace tavro {

struct RecorderOptions {
  // Below this much free space the recording stops while it still plays.
  std::uintmax_t minimumFreeBytes = 8u << 20;
  // Frames waiting to be written; beyond that new ones are dropped.
  std::size_t maxQueuedFrames = 90;
};

class VideoRecorder : public FrameSink {
 public:
  using FailureCallback = std::function<void(const std::string& message)>;

  // Opens the recording; throws Error(Platform) naming the file when it
  // cannot be written. onFailure is called once, on a worker thread, when
  // the recording stops by itself.
  VideoRecorder(const QString& targetPath, double framesPerSecond, cv::Size frameSize,
                FailureCallback onFailure = {}, RecorderOptions options = {});
  // Finishes a running recording, swallowing its failure.
  ~VideoRecorder() override;
  VideoRecorder(const VideoRecorder&) = delete;
  VideoRecorder& operator=(const VideoRecorder&) = delete;

  void push(const cv::Mat& frame) override;
  void sourceLost(const std::string& message) override;

  // Writes what is queued, closes the video and gives it its name. Throws
  // Error(Platform) with the reason when the recording failed; the frames
  // recorded before a failure are kept when they play.
  void finish();

  bool failed() const;
  std::uint64_t framesWritten() const;
  std::uint64_t framesDropped() const;
  const QString& targetPath() const { return targetPath_; }

 private:
  bool openWriter(double framesPerSecond);
  void run();
  void write(const cv::Mat& frame);
  void checkFreeSpace();
  void fail(const std::string& reason);
  bool playsBack() const;
  std::string saveUnderTarget();

  QString targetPath_;
  std::string tempPath_;
  cv::Size frameSize_;
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

  std::thread thread_;
};

}  // namespace tavro

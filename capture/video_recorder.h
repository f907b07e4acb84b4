#pragma once
// One recording: MJPG frames in an AVI file (capture/avi_writer.h), encoded and written on a worker
// thread, played at the rate they came at (measured, so a slow camera or frames left out make no fast
// video). It goes to a hidden file beside the target and takes its name, and the replaced file's mode,
// when finished. A failed write stops it at that frame, keeping those before; one unfinished when the
// program calls exit() (as Qt does when the display goes) is finished then.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "capture/avi_writer.h"
#include "capture/capture_path.h"
#include "capture/frame_grabber.h"

namespace tavro {


struct RecorderOptions {
  // Frames waiting to be written; beyond that new ones are dropped.
  std::size_t maxQueuedFrames = 90;
  // How the file is written (tests give one that fails); empty: as it is.
  std::function<std::unique_ptr<FileBytes>(int fd)> fileBytes{};
};

struct RecordingSummary {
  enum class End { Saved, SavedWithNote, Failed };
  End end = End::Saved;
  QString path;  // the file that holds the video; empty when nothing was kept
  std::uint64_t framesWritten = 0;  // in that file
  // Frames that came while the queue was full, or that could not be used.
  std::uint64_t framesDropped = 0;
  double framesPerSecond = 0.0;  // as the file says
  double seconds = 0.0;          // how long it plays
  // "Recording saved as PATH: 301 frames, 10.0 seconds", or what went wrong and what was kept where.
  std::string message;
};

class VideoRecorder : public FrameSink {
 public:
  using FailureCallback = std::function<void(const std::string& message)>;

  // Opens the recording, at framesPerSecond until measured; throws
  // Error(Platform) naming the file when it cannot or may not be written.
  // onFailure is called once, on a worker thread, when the recording stops
  // by itself.
  VideoRecorder(const QString& targetPath, double framesPerSecond, cv::Size frameSize,
                FailureCallback onFailure = {}, RecorderOptions options = {});
  ~VideoRecorder() override;  // finishes a running recording

  void push(const cv::Mat& frame, std::chrono::steady_clock::time_point arrived) override;
  void sourceLost(const std::string& message) override;

  // Writes what is queued, finishes the video at its measured rate and names it (first call only).
  RecordingSummary finish();

  bool failed() const { return locked([this] { return !failure_.empty(); }); }
  std::uint64_t framesWritten() const { return locked([this] { return written_; }); }
  std::uint64_t framesDropped() const { return locked([this] { return dropped_; }); }
  const FileIdentity& target() const { return target_; }
  // What to tell when it cannot be finished in time: where its frames wait.
  std::string unfinishedNote() const;

 private:
  template <class Read>
  auto locked(Read read) const -> decltype(read()) {
    std::lock_guard lock(mutex_);
    return read();
  }
  static void finishAllAtExit();
  RecordingSummary finishNow();
  void run();
  void write(const cv::Mat& frame);
  void fail(const std::string& reason);
  double measuredRate() const;
  std::string droppedText() const;

  QString targetPath_;
  FileIdentity target_;
  QByteArray hiddenPath_;  // raw bytes
  int fd_ = -1;
  std::unique_ptr<FileBytes> bytes_;
  std::unique_ptr<AviWriter> writer_;  // used by the worker thread only while it runs
  cv::Size frameSize_;
  double nominalRate_;
  FailureCallback onFailure_;
  RecorderOptions options_;
  std::timed_mutex finishing_;  // held while it is finished
  bool finished_ = false;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<cv::Mat> queue_;
  bool stopping_ = false;
  std::string failure_;
  std::uint64_t written_ = 0;
  std::uint64_t dropped_ = 0;
  std::uint64_t delivered_ = 0;
  std::chrono::steady_clock::time_point firstArrival_;
  std::chrono::steady_clock::time_point lastArrival_;

  std::thread thread_;
};

// Finishes each hidden recording in the folder that no program has open (a killed one left it) and
// names it beside it "NAME (unfinished).avi", never replacing a file. One line for each, for the user.
QStringList keepUnfinishedRecordings(const QString& folder);

}  // namespace tavro

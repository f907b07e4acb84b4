#include "capture/video_recorder.h"

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <opencv2/imgproc.hpp>

#include "capture/avi_frame_rate.h"
#include "capture/capture_path.h"
#include "files/entries.h"
#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

namespace {

constexpr std::uint64_t kFramesBetweenSpaceChecks = 30;
// A measured rate this close to the source's own is timing noise: the
// source's rate stays.
constexpr double kRateTolerance = 0.01;

Error recordingError(const QString& target, const QString& reason) {
  return Error(ErrorKind::Platform, ("Cannot write the recording file " + displayName(target) + ": " + reason).toStdString());
}

// A hidden, unique file beside the target. The writers pick the container
// from an .avi name, which the target need not have.
std::string makeTempFile(const QString& target) {
  const QByteArray path = toNativeName(absolutePath(target));
  const qsizetype slash = path.lastIndexOf('/');
  QByteArray name = path.left(slash + 1) + '.' + path.mid(slash + 1) + "-XXXXXX.avi";
  const int fd = ::mkstemps(name.data(), 4);
  if (fd < 0) throw recordingError(target, QString::fromLocal8Bit(std::strerror(errno)));
  ::close(fd);
  return name.toStdString();
}

}  // namespace

VideoRecorder::VideoRecorder(const QString& targetPath, double framesPerSecond, cv::Size frameSize,
                             FailureCallback onFailure, RecorderOptions options)
    : targetPath_(targetPath),
      frameSize_(frameSize),
      nominalRate_(framesPerSecond),
      onFailure_(std::move(onFailure)),
      options_(options) {
  requireOrdinaryFileTarget(targetPath_, "recording file");
  if (frameSize_.width <= 0 || frameSize_.height <= 0 || !(framesPerSecond > 0))
    throw recordingError(targetPath_, "no camera picture to record");
  tempPath_ = makeTempFile(targetPath_);
  if (!openWriter()) {
    std::error_code ignored;
    std::filesystem::remove(tempPath_, ignored);
    throw recordingError(targetPath_, "the video cannot be created");
  }
  thread_ = std::thread([this] { run(); });
}

// FFmpeg's MJPG encoder first: OpenCV's built-in one now and then ends a
// frame's data early, which decoders warn about. The built-in one remains
// for an OpenCV without FFmpeg.
bool VideoRecorder::openWriter() {
  for (const int backend : {cv::CAP_FFMPEG, cv::CAP_OPENCV_MJPEG}) {
    try {
      if (writer_.open(tempPath_, backend, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), nominalRate_,
                       frameSize_))
        return true;
    } catch (const cv::Exception&) {
      // try the next one
    }
  }
  return false;
}

VideoRecorder::~VideoRecorder() {
  try {
    finish();
  } catch (...) {
    // closing while recording: what could be saved is saved
  }
}

void VideoRecorder::push(const cv::Mat& frame, std::chrono::steady_clock::time_point arrived) {
  {
    std::lock_guard lock(mutex_);
    if (finishing_ || !failure_.empty()) return;
    if (delivered_++ == 0) firstArrival_ = arrived;
    lastArrival_ = arrived;
    if (queue_.size() >= options_.maxQueuedFrames) {
      ++dropped_;
      return;
    }
    queue_.push_back(frame);
  }
  wake_.notify_one();
}

// A camera lost while the last frames are being written spoils nothing.
void VideoRecorder::sourceLost(const std::string& message) {
  {
    std::lock_guard lock(mutex_);
    if (finishing_) return;
  }
  fail(message);
}

RecordingSummary VideoRecorder::finish() {
  if (finished_) return {};
  finished_ = true;
  {
    std::lock_guard lock(mutex_);
    finishing_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();

  std::string failure;
  {
    std::lock_guard lock(mutex_);
    failure = failure_;
  }
  const std::string prefix = "Recording to " + displayName(targetPath_).toStdString();
  if (!playsBack()) {
    std::error_code ignored;
    std::filesystem::remove(tempPath_, ignored);
    if (failure.empty()) failure = "failed: the video could not be completed (is the disk full?)";
    throw Error(ErrorKind::Platform, prefix + " " + failure + "; nothing was saved" + droppedText());
  }
  RecordingSummary summary{framesWritten(), framesDropped(), measuredRate(), {}};
  std::string rateProblem;
  if (summary.framesPerSecond != nominalRate_) {
    try {
      setAviFrameRate(fromNativeName(QByteArray::fromStdString(tempPath_)), summary.framesPerSecond);
    } catch (const Error& error) {
      rateProblem = error.what();
      summary.framesPerSecond = nominalRate_;
    }
  }
  const std::string saveProblem = saveUnderTarget();
  if (!saveProblem.empty()) throw Error(ErrorKind::Platform, prefix + " failed: " + saveProblem + droppedText());
  if (!failure.empty())
    throw Error(ErrorKind::Platform, prefix + " " + failure + "; the " + std::to_string(summary.framesWritten) +
                                         " frames before were saved" + droppedText());
  if (!rateProblem.empty())
    throw Error(ErrorKind::Platform, prefix + " was saved, but it plays too fast or too slow: " + rateProblem);
  if (summary.framesDropped > 0)
    summary.notice = prefix + " was saved with " + std::to_string(summary.framesWritten) + " frames" + droppedText();
  return summary;
}

bool VideoRecorder::failed() const {
  std::lock_guard lock(mutex_);
  return !failure_.empty();
}

std::uint64_t VideoRecorder::framesWritten() const {
  std::lock_guard lock(mutex_);
  return written_;
}

std::uint64_t VideoRecorder::framesDropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

// Writes until told to finish, then drains the queue; a failure ends the
// writing at once so the file still closes properly.
void VideoRecorder::run() {
  for (;;) {
    cv::Mat frame;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty() || finishing_ || !failure_.empty(); });
      if (!failure_.empty() || queue_.empty()) break;
      frame = queue_.front();
      queue_.pop_front();
    }
    write(frame);
  }
  try {
    writer_.release();
  } catch (const cv::Exception&) {
    // the check in finish() finds a video that did not close
  }
}

void VideoRecorder::write(const cv::Mat& frame) {
  if (frame.type() != CV_8UC3) {
    std::lock_guard lock(mutex_);
    ++dropped_;
    return;
  }
  try {
    if (frame.size() == frameSize_) {
      writer_.write(frame);
    } else {
      cv::Mat fitted;
      cv::resize(frame, fitted, frameSize_);
      writer_.write(fitted);
    }
  } catch (const cv::Exception& e) {
    fail("stopped: writing a frame failed (" + std::string(e.what()) + ")");
    return;
  }
  std::uint64_t written = 0;
  {
    std::lock_guard lock(mutex_);
    written = ++written_;
  }
  if (written % kFramesBetweenSpaceChecks == 0) checkFreeSpace();
}

// The writer does not notice a full disk; stopping a little before keeps the
// file whole.
void VideoRecorder::checkFreeSpace() {
  std::error_code error;
  const auto space = std::filesystem::space(std::filesystem::path(tempPath_).parent_path(), error);
  if (!error && space.available < options_.minimumFreeBytes) fail("stopped: the disk is full");
}

// The first failure counts; it is told once.
void VideoRecorder::fail(const std::string& reason) {
  std::string failure;
  {
    std::lock_guard lock(mutex_);
    if (!failure_.empty()) return;
    failure_ = reason.starts_with("stopped") ? reason : "stopped: " + reason;
    failure = failure_;
  }
  wake_.notify_one();
  if (onFailure_) onFailure_("Recording to " + displayName(targetPath_).toStdString() + " " + failure);
}

// Either reader finding every written frame will do: the built-in one is
// quick, FFmpeg knows the large-file index too.
bool VideoRecorder::playsBack() const {
  const double expected = double(framesWritten());
  for (const int backend : {cv::CAP_OPENCV_MJPEG, cv::CAP_FFMPEG}) {
    try {
      cv::VideoCapture check(tempPath_, backend);
      if (check.isOpened() && check.get(cv::CAP_PROP_FRAME_COUNT) == expected) return true;
    } catch (const cv::Exception&) {
      // try the next one
    }
  }
  return false;
}

// The rate at which the written frames fill the time the frames came over:
// n frames arriving from first to last span (last - first) * n / (n - 1).
double VideoRecorder::measuredRate() const {
  std::lock_guard lock(mutex_);
  const double span = std::chrono::duration<double>(lastArrival_ - firstArrival_).count();
  if (delivered_ < 2 || !(span > 0)) return nominalRate_;
  const double measured = double(written_) * double(delivered_ - 1) / (span * double(delivered_));
  if (!(measured >= 0.01 && measured <= 1000)) return nominalRate_;
  if (std::abs(measured - nominalRate_) <= kRateTolerance * nominalRate_) return nominalRate_;
  return std::round(measured * 1000) / 1000;
}

std::string VideoRecorder::droppedText() const {
  const std::uint64_t dropped = framesDropped();
  if (dropped == 0) return {};
  return "; " + std::to_string(dropped) + (dropped == 1 ? " frame was" : " frames were") +
         " left out because the writing could not keep up";
}

// Renaming replaces an older file of that name in one step. When it cannot,
// the video stays under its hidden name and the message says where.
std::string VideoRecorder::saveUnderTarget() {
  std::error_code error;
  std::filesystem::rename(tempPath_, toNativeName(targetPath_).toStdString(), error);
  if (!error) return {};
  return "cannot save it under that name (" + error.message() + "); it was kept as " + displayName(fromNativeName(QByteArray::fromStdString(tempPath_))).toStdString();
}

}  // namespace tavro

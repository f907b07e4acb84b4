#include "capture/video_recorder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include <QRandomGenerator>
#include <QScopeGuard>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "files/entries.h"
#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

namespace {

constexpr int kJpegQuality = 90;
// A measured rate this close to the source's own is timing noise.
constexpr double kRateTolerance = 0.01;
// How long the program's end waits for recordings still being finished.
constexpr auto kExitWait = std::chrono::seconds(10);

std::string reasonFor(int error) {
  switch (error) {
    case ENOSPC: return "the disk is full";
    case EDQUOT: return "the disk quota is used up";
    case EFBIG: return "the file reached the largest size allowed for it (File too large)";
    default: return std::strerror(error);
  }
}

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", seconds);
  return text;
}

}  // namespace

namespace {

const QByteArray kPrefix = ".tavro-rec-";
const QByteArray kSuffix = ".avi";
constexpr int kRandomLetters = 6;

bool isHiddenRecording(const QByteArray& name) {
  return name.size() == kPrefix.size() + kRandomLetters + kSuffix.size() && name.startsWith(kPrefix) &&
         name.endsWith(kSuffix);
}

// Cut to at most size bytes, not inside a UTF-8 sequence.
QByteArray cutTo(QByteArray name, qsizetype size) {
  if (name.size() <= size) return name;
  name.truncate(size);
  while (!name.isEmpty() && (std::uint8_t(name.back()) & 0xC0) == 0x80) name.chop(1);
  if (!name.isEmpty() && std::uint8_t(name.back()) >= 0xC0) name.chop(1);
  return name;
}

// Renames without replacing; the first free "NAME (unfinished N).avi".
QByteArray giveVisibleName(const QByteArray& folder, const QByteArray& hidden, QByteArray stem) {
  if (stem.toLower().endsWith(kSuffix)) stem.chop(kSuffix.size());
  if (stem.isEmpty()) stem = "recording";
  for (int n = 1; n < 100; ++n) {
    const QByteArray suffix =
        n == 1 ? QByteArray(" (unfinished).avi") : " (unfinished " + QByteArray::number(n) + ").avi";
    const QByteArray visible = cutTo(stem, NAME_MAX - suffix.size()) + suffix;
    const QByteArray path = folder + '/' + visible;
    if (::renameat2(AT_FDCWD, hidden.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0) return path;
    // A file system that cannot rename without replacing: look first.
    if (errno == EINVAL && ::access(path.constData(), F_OK) != 0 && ::rename(hidden.constData(), path.constData()) == 0)
      return path;
    if (errno != EEXIST && errno != EINVAL) break;
  }
  return {};
}

// A line naming where it was kept and how long it plays; empty when none of ours, still open or not kept.
QString keepUnfinished(const QByteArray& folder, const QByteArray& hidden) {
  const int fd = ::open(hidden.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {};
  const auto close = qScopeGuard([fd] { ::close(fd); });
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
  FileBytes file(fd);
  QByteArray target;
  double rate = 0;
  std::optional<AviWriter> video = AviWriter::reopen(file, target, rate);
  if (!video || !(rate >= 0.01)) return {};
  if (video->frameCount() == 0) {
    ::unlink(hidden.constData());  // killed before its first frame: nothing to keep
    return {};
  }
  if (video->finish(rate) != 0 || ::fsync(fd) != 0) return {};
  const QByteArray visible = giveVisibleName(folder, hidden, target);
  if (visible.isEmpty()) return {};
  return QStringLiteral("An unfinished recording (%1 seconds) was found and kept as %2")
      .arg(double(video->frameCount()) / rate, 0, 'f', 1)
      .arg(displayName(fromNativeName(visible)));
}

// A new hidden file ".tavro-rec-XXXXXX.avi" in the folder (raw bytes), its name not growing with the one
// meant (kept inside the file), locked while open so that keepUnfinishedRecordings passes it by, and
// created 0666 less the umask. Sets path and returns the descriptor, or -1 with errno set.
int createHiddenRecording(const QByteArray& folder, QByteArray& path) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + '/' + kPrefix;
    for (int i = 0; i < kRandomLetters; ++i) path += letters[QRandomGenerator::global()->bounded(36)];
    path += kSuffix;
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX);  // before anything is written: the search never finishes it
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// Every recorder alive, for exit() to finish; never destroyed, as the exit handler runs among the teardown.
struct Registry {
  std::mutex mutex;
  std::vector<VideoRecorder*> recorders;
};

Registry& registry() {
  static Registry* const recorders = new Registry;
  return *recorders;
}

}  // namespace

VideoRecorder::VideoRecorder(const QString& targetPath, double framesPerSecond, cv::Size frameSize,
                             FailureCallback onFailure, RecorderOptions options)
    : targetPath_(targetPath),
      frameSize_(frameSize),
      nominalRate_(framesPerSecond),
      onFailure_(std::move(onFailure)),
      options_(std::move(options)) {
  requireOrdinaryFileTarget(targetPath_, "recording file");
  requireWritableTarget(targetPath_, "recording file");
  if (frameSize_.width <= 0 || frameSize_.height <= 0 || !(framesPerSecond >= 0.01 && framesPerSecond <= 1000))
    throw targetError(targetPath_, "recording file", "no camera picture to record");
  const std::optional<FileIdentity> target = identityOf(targetPath_);
  if (!target || target->name.size() > NAME_MAX)
    throw targetError(targetPath_, "recording file",
                      QString::fromLocal8Bit(std::strerror(target ? ENAMETOOLONG : ENOENT)));
  target_ = *target;
  const QByteArray absolute = toNativeName(absolutePath(targetPath_));
  fd_ = createHiddenRecording(absolute.left(absolute.lastIndexOf('/')), hiddenPath_);
  if (fd_ < 0) throw targetError(targetPath_, "recording file", QString::fromLocal8Bit(std::strerror(errno)));
  bytes_ = options_.fileBytes ? options_.fileBytes(fd_) : std::make_unique<FileBytes>(fd_);
  writer_ = std::make_unique<AviWriter>(*bytes_);
  if (const int error = writer_->start(frameSize_, nominalRate_, target_.name)) {
    ::close(fd_);
    ::unlink(hiddenPath_.constData());
    throw targetError(targetPath_, "recording file", QString::fromStdString(reasonFor(error)));
  }
  // exit() destroys the statics made after its handler was registered before it runs it: whatever
  // writing a frame makes (OpenCV's codecs, its threads) is made first, by one frame written here.
  [[maybe_unused]] static const bool exitHooked = [] {
    std::vector<uchar> jpeg;
    cv::Mat fitted;
    cv::resize(cv::Mat(2, 2, CV_8UC3, cv::Scalar::all(0)), fitted, {4, 4});
    cv::imencode(".jpg", fitted, jpeg, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality});
    return std::atexit([] { finishAllAtExit(); }) == 0;
  }();
  {
    std::lock_guard lock(registry().mutex);
    registry().recorders.push_back(this);
  }
  thread_ = std::thread([this] { run(); });
}

VideoRecorder::~VideoRecorder() {
  {
    std::lock_guard lock(registry().mutex);
    std::erase(registry().recorders, this);
  }
  finish();
}

// exit() runs this on its caller's thread while the rest runs: each recorder is finished, or, when another
// thread is at it, given the time left. One still unfinished is told and the program ends at once,
// before its writing thread can meet the teardown.
void VideoRecorder::finishAllAtExit() {
  const auto deadline = std::chrono::steady_clock::now() + kExitWait;
  bool allFinished = true;
  std::lock_guard lock(registry().mutex);
  for (VideoRecorder* recorder : registry().recorders) {
    std::unique_lock finishing(recorder->finishing_, deadline);
    if (finishing.owns_lock()) {
      recorder->finishNow();
      continue;
    }
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, recorder->unfinishedNote().c_str());
    allFinished = false;
  }
  if (!allFinished) {
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
  }
}

void VideoRecorder::push(const cv::Mat& frame, std::chrono::steady_clock::time_point arrived) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || !failure_.empty()) return;
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
    if (stopping_) return;
  }
  fail(message);
}

RecordingSummary VideoRecorder::finish() {
  std::lock_guard lock(finishing_);
  return finishNow();
}

// Once the worker has ended, its failure and the writer are this thread's.
RecordingSummary VideoRecorder::finishNow() {
  if (finished_) return {};
  finished_ = true;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  if (thread_.joinable()) thread_.join();

  RecordingSummary summary;
  summary.end = RecordingSummary::End::Failed;
  summary.framesDropped = framesDropped();
  summary.framesPerSecond = measuredRate();
  std::unique_lock lock(mutex_);
  std::string failure = failure_;
  lock.unlock();
  int error = writer_->frameCount() > 0 ? writer_->finish(summary.framesPerSecond) : 0;
  if (error == 0 && ::fsync(fd_) != 0) error = errno;
  if (failure.empty() && writer_->droppedFor() != 0) failure = "stopped: " + reasonFor(writer_->droppedFor());
  // A replaced file keeps its mode; a new one has what the umask left.
  const QByteArray target = toNativeName(targetPath_);
  struct stat replaced {};
  if (error == 0 && ::stat(target.constData(), &replaced) == 0) ::fchmod(fd_, replaced.st_mode & 0777);
  if (error == 0 && ::rename(hiddenPath_.constData(), target.constData()) != 0) error = errno;
  ::close(fd_);

  const std::string prefix = "Recording to " + displayName(targetPath_).toStdString() + " ";
  summary.framesWritten = writer_->frameCount();
  if (summary.framesWritten == 0) {  // none came, or none left room for the index
    ::unlink(hiddenPath_.constData());
    if (failure.empty()) failure = "failed: " + (error != 0 ? reasonFor(error) : "no frame came to record");
    summary.message = prefix + failure + "; nothing was saved" + droppedText();
    return summary;
  }
  summary.path = fromNativeName(error == 0 ? target : hiddenPath_);
  summary.seconds = double(summary.framesWritten) / summary.framesPerSecond;
  const std::string where = displayName(summary.path).toStdString();
  const std::string kept = secondsText(summary.seconds) + " seconds (" + std::to_string(summary.framesWritten) +
                           " frames) were kept in " + where + droppedText();
  if (error != 0) {
    summary.message =
        prefix + "failed: it could not be finished under that name (" + reasonFor(error) + "); the " + kept;
  } else if (!failure.empty()) {
    summary.message = prefix + failure + "; the first " + kept;
  } else {
    summary.end = summary.framesDropped > 0 ? RecordingSummary::End::SavedWithNote : RecordingSummary::End::Saved;
    summary.message = "Recording saved as " + where + ": " + std::to_string(summary.framesWritten) + " frames, " +
                      secondsText(summary.seconds) + " seconds" + droppedText();
  }
  return summary;
}

std::string VideoRecorder::unfinishedNote() const {
  return "the recording to " + displayName(targetPath_).toStdString() +
         " could not be finished in time; its frames are in the hidden file " +
         displayName(fromNativeName(hiddenPath_)).toStdString() +
         ", which the next recording into that folder keeps as an unfinished recording";
}

// Writes until told to finish, then drains the queue; a failure ends it at once, earlier frames whole.
void VideoRecorder::run() {
  for (;;) {
    cv::Mat frame;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return !queue_.empty() || stopping_ || !failure_.empty(); });
      if (!failure_.empty() || queue_.empty()) break;
      frame = queue_.front();
      queue_.pop_front();
    }
    write(frame);
  }
}

void VideoRecorder::write(const cv::Mat& frame) {
  std::vector<uchar> jpeg;
  bool encoded = false;
  try {
    cv::Mat fitted = frame;
    if (frame.size() != frameSize_) cv::resize(frame, fitted, frameSize_);
    encoded = frame.type() == CV_8UC3 && cv::imencode(".jpg", fitted, jpeg, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality});
  } catch (const cv::Exception&) {
    encoded = false;
  }
  if (!encoded) {
    std::lock_guard lock(mutex_);
    ++dropped_;
    return;
  }
  if (const int error = writer_->addFrame(jpeg)) {
    fail("stopped: " + reasonFor(error));
    return;
  }
  std::lock_guard lock(mutex_);
  ++written_;
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

QStringList keepUnfinishedRecordings(const QString& folder) {
  const QByteArray native = toNativeName(folder);
  std::vector<QByteArray> hidden;
  if (DIR* entries = ::opendir(native.constData())) {
    while (const dirent* entry = ::readdir(entries)) {
      if (isHiddenRecording(entry->d_name)) hidden.push_back(native + '/' + entry->d_name);
    }
    ::closedir(entries);
  }
  QStringList kept;
  for (const QByteArray& path : hidden) {
    const QString line = keepUnfinished(native, path);
    if (!line.isEmpty()) kept << line;
  }
  return kept;
}

}  // namespace tavro

#include "capture/capture_session.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "files/entries.h"
#include "platform/errors.h"

namespace tavro {

struct CaptureSession::Finishing {
  std::mutex mutex;
  std::condition_variable changed;  // a recording was finished
  std::vector<std::shared_ptr<VideoRecorder>> recorders;
  FinishCallback onFinished;  // dropped when the session goes
  bool leftAlone = false;
};

CaptureSession::CaptureSession(SourceFactory makeSource, FrameCallback onFrame, FailureCallback onRecordingFailed,
                               FinishCallback onRecordingFinished, CaptureOptions options)
    : makeSource_(std::move(makeSource)),
      onFrame_(std::move(onFrame)),
      onRecordingFailed_(std::move(onRecordingFailed)),
      options_(std::move(options)),
      finishing_(std::make_shared<Finishing>()) {
  finishing_->onFinished = std::move(onRecordingFinished);
}

// A stalled disk may hold a finishing long: after the wait its thread ends alone, its file left to a later one.
CaptureSession::~CaptureSession() {
  stopRecording();
  std::unique_lock lock(finishing_->mutex);
  finishing_->onFinished = nullptr;
  if (!finishing_->changed.wait_for(lock, options_.finishWait, [this] { return finishing_->recorders.empty(); })) {
    for (const auto& recorder : finishing_->recorders)
      std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, recorder->unfinishedNote().c_str());
    finishing_->leftAlone = true;
    countCaptureThreadsLeftRunning(int(finishing_->recorders.size()));
  }
  lock.unlock();
  grabber_.reset();
}

void CaptureSession::start() {
  if (!grabber_) grabber_ = std::make_unique<FrameGrabber>(makeSource_(), onFrame_, options_.grabber);
}

void CaptureSession::setPreviewOn(bool on) {
  previewOn_ = on;
  if (on) start();
}

bool CaptureSession::writeFrame(const QString& path, bool cameraOnly) {
  requireOrdinaryFileTarget(path, "picture file");
  // The recording takes this name when it ends, silently replacing the picture: refuse now.
  if (isBeingRecorded(path)) throw targetError(path, "picture file", "a recording to that file is running");
  const NumberedFrame latest = waitForFrame(true);
  if (cameraOnly && latest.standIn) return false;
  writeSnapshot(latest.frame, path);
  return true;
}

QStringList CaptureSession::startRecording() {
  if (recorder_) {
    // One that stopped by itself is finished instead, its failure told then.
    if (recorder_->failed()) stopRecording();
    return {};
  }
  if (recordFileName_.isEmpty()) throw Error(ErrorKind::Platform, "No file name set for the recording");
  const QString target = recordingFileName(recordFileName_);
  requireOrdinaryFileTarget(target, "recording file");
  if (isBeingRecorded(target))
    throw targetError(target, "recording file", "the recording to that file is still being finished");
  QString folder = absolutePath(target);
  folder.truncate(std::max<qsizetype>(folder.lastIndexOf(u'/'), 1));
  const QStringList kept = keepUnfinishedRecordings(folder);
  const cv::Mat first = waitForFrame(false).frame;
  recorder_ = std::make_unique<VideoRecorder>(target, grabber_->framesPerSecond(), first.size(), onRecordingFailed_,
                                              options_.recorder);
  grabber_->attachSink(*recorder_);
  return kept;
}

void CaptureSession::stopRecording() {
  if (!recorder_) return;
  grabber_->detachSink();
  std::shared_ptr<VideoRecorder> recorder = std::move(recorder_);
  std::lock_guard lock(finishing_->mutex);
  finishing_->recorders.push_back(recorder);
  std::thread([finishing = finishing_, recorder = std::move(recorder)]() mutable {
    const RecordingSummary summary = recorder->finish();
    std::lock_guard lock(finishing->mutex);
    std::erase(finishing->recorders, recorder);
    recorder.reset();
    if (finishing->onFinished) finishing->onFinished(summary);
    if (finishing->leftAlone) countCaptureThreadsLeftRunning(-1);
    finishing->changed.notify_all();
  }).detach();
}

bool CaptureSession::isFinishingRecording() const {
  std::lock_guard lock(finishing_->mutex);
  return !finishing_->recorders.empty();
}

// The camera gets its opening time and a little for the first frame, a snapshot the time to settle too;
// empty when none came, which the writers report naming their file.
NumberedFrame CaptureSession::waitForFrame(bool settled) {
  start();
  const auto wait = options_.grabber.openTimeout + options_.firstFrameWait;
  return grabber_->waitForFrame(settled ? wait + options_.grabber.settleTime : wait, settled);
}

// The same folder, however reached (a link, another spelling), and name.
bool CaptureSession::isBeingRecorded(const QString& path) const {
  const std::optional<FileIdentity> file = identityOf(path);
  if (!file) return false;
  if (recorder_ && recorder_->target() == *file) return true;
  std::lock_guard lock(finishing_->mutex);
  return std::ranges::any_of(finishing_->recorders, [&](const auto& recorder) { return recorder->target() == *file; });
}

}  // namespace tavro

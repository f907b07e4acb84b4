#include "capture/capture_session.h"

#include "capture/capture_path.h"
#include "capture/snapshot_writer.h"
#include "files/entries.h"
#include "platform/errors.h"

namespace tavro {

CaptureSession::CaptureSession(SourceFactory makeSource, FrameCallback onFrame, FailureCallback onRecordingFailed,
                               CaptureOptions options)
    : makeSource_(std::move(makeSource)),
      onFrame_(std::move(onFrame)),
      onRecordingFailed_(std::move(onRecordingFailed)),
      options_(options) {}

CaptureSession::~CaptureSession() {
  if (recorder_) {
    grabber_->detachSink();
    recorder_.reset();
  }
  grabber_.reset();
}

void CaptureSession::start() {
  if (!grabber_) grabber_ = std::make_unique<FrameGrabber>(makeSource_(), onFrame_, options_.grabber);
}

void CaptureSession::setPreviewOn(bool on) {
  previewOn_ = on;
  if (on) start();
}

bool CaptureSession::needsSource() const { return previewOn_ || recorder_ != nullptr; }

void CaptureSession::releaseIfUnneeded() {
  if (!needsSource()) grabber_.reset();
}

NumberedFrame CaptureSession::latestFrame() const { return grabber_ ? grabber_->latestFrame() : NumberedFrame{}; }

std::string CaptureSession::status() const { return grabber_ ? grabber_->status() : std::string(); }

bool CaptureSession::usingTestPicture() const { return grabber_ && grabber_->usingTestPicture(); }

double CaptureSession::framesPerSecond() const { return grabber_ ? grabber_->framesPerSecond() : 0.0; }

void CaptureSession::writeFrameFile(const QString& path) { writeFrame(path, false); }

bool CaptureSession::writeCameraFrameFile(const QString& path) { return writeFrame(path, true); }

bool CaptureSession::writeFrame(const QString& path, bool cameraOnly) {
  requireOrdinaryFileTarget(path, "picture file");
  // The recording takes this name when it ends, which would silently
  // replace the picture: refuse now instead.
  if (isBeingRecorded(path))
    throw Error(ErrorKind::Platform,
                ("Cannot write the picture file " + path + ": a recording to that file is running").toStdString());
  const NumberedFrame latest = waitForFrame();
  if (cameraOnly && latest.standIn) return false;
  writeSnapshot(latest.frame, path);
  return true;
}

void CaptureSession::setRecordFileName(const QString& path) { recordFileName_ = path; }

void CaptureSession::startRecording() {
  if (recorder_) {
    if (!recorder_->failed()) return;
    stopRecording();  // throws the earlier failure
    return;
  }
  if (recordFileName_.isEmpty()) throw Error(ErrorKind::Platform, "No file name set for the recording");
  requireOrdinaryFileTarget(recordFileName_, "recording file");
  const cv::Mat first = waitForFrame().frame;
  recorder_ = std::make_unique<VideoRecorder>(recordFileName_, grabber_->framesPerSecond(), first.size(),
                                              onRecordingFailed_, options_.recorder);
  grabber_->attachSink(*recorder_);
}

RecordingSummary CaptureSession::stopRecording() {
  if (!recorder_) return {};
  grabber_->detachSink();
  const std::unique_ptr<VideoRecorder> recorder = std::move(recorder_);
  return recorder->finish();
}

bool CaptureSession::isRecording() const { return recorder_ && !recorder_->failed(); }

bool CaptureSession::hasStoppedRecording() const { return recorder_ && recorder_->failed(); }

// The camera gets its opening time plus a little for the first frame; empty
// when none came, which the writers report naming their file.
NumberedFrame CaptureSession::waitForFrame() {
  start();
  return grabber_->waitForFrame(options_.grabber.openTimeout + options_.firstFrameWait);
}

bool CaptureSession::isBeingRecorded(const QString& path) const {
  return recorder_ && absolutePath(path) == absolutePath(recorder_->targetPath());
}

}  // namespace tavro

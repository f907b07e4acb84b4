#include "platform/capture/capture_session.h"

#include <QDir>
#include <QFileInfo>

#include "platform/capture/capture_path.h"
#include "platform/capture/snapshot_writer.h"
#include "platform/capture/source_choice.h"
#include "platform/errors.h"
#include "platform/picture/typed_path.h"

namespace tavro {

namespace {

QString comparablePath(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

CaptureSession::CaptureSession(std::unique_ptr<FrameSource> source, FrameCallback onFrame,
                               FailureCallback onRecordingFailed, CaptureOptions options)
    : preferred_(std::move(source)),
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
  if (grabber_) return;
  SourceChoice choice;
  if (preferred_) {
    choice.preferred = std::move(preferred_);
  } else {
    choice = camera_ ? chooseSource(*camera_, cameraDevices()) : chooseSource();
  }
  grabber_ = std::make_unique<FrameGrabber>(std::move(choice.preferred), std::move(choice.fallbackNote), onFrame_,
                                            options_.grabber);
}

NumberedFrame CaptureSession::latestFrame() const { return grabber_ ? grabber_->latestFrame() : NumberedFrame{}; }

std::string CaptureSession::status() const { return grabber_ ? grabber_->status() : std::string(); }

bool CaptureSession::usingTestPicture() const { return grabber_ && grabber_->usingTestPicture(); }

double CaptureSession::framesPerSecond() const { return grabber_ ? grabber_->framesPerSecond() : 0.0; }

void CaptureSession::writeFrameFile(const QString& typedPath) {
  const QString path = tavro::typedPath(typedPath);
  requireOrdinaryFileTarget(path, "picture file");
  // The recording takes this name when it ends, which would silently
  // replace the picture: refuse now instead.
  if (isBeingRecorded(path))
    throw Error(ErrorKind::Platform,
                ("Cannot write the picture file " + path + ": a recording to that file is running").toStdString());
  writeSnapshot(waitForFrame(), path);
}

void CaptureSession::setRecordFileName(const QString& typedPath) { recordFileName_ = tavro::typedPath(typedPath); }

void CaptureSession::startRecording() {
  if (recorder_) {
    if (!recorder_->failed()) return;
    stopRecording();  // throws the earlier failure
    return;
  }
  if (recordFileName_.isEmpty()) throw Error(ErrorKind::Platform, "No file name set for the recording");
  requireOrdinaryFileTarget(recordFileName_, "recording file");
  const cv::Mat first = waitForFrame();
  recorder_ = std::make_unique<VideoRecorder>(recordFileName_, grabber_->framesPerSecond(), first.size(),
                                              onRecordingFailed_, options_.recorder);
  grabber_->attachSink(*recorder_);
}

void CaptureSession::stopRecording() {
  if (!recorder_) return;
  grabber_->detachSink();
  const std::unique_ptr<VideoRecorder> recorder = std::move(recorder_);
  recorder->finish();
}

bool CaptureSession::isRecording() const { return recorder_ && !recorder_->failed(); }

bool CaptureSession::hasStoppedRecording() const { return recorder_ && recorder_->failed(); }

// The camera gets its opening time plus a little for the first frame; empty
// when none came, which the writers report naming their file.
cv::Mat CaptureSession::waitForFrame() {
  start();
  return grabber_->waitForFrame(options_.grabber.openTimeout + options_.firstFrameWait);
}

bool CaptureSession::isBeingRecorded(const QString& path) const {
  return recorder_ && comparablePath(path) == comparablePath(recorder_->targetPath());
}

}  // namespace tavro

#pragma once
// Everything the capture control does apart from drawing: the source opened
// on first need and let go when nothing needs it, the latest frame, snapshots
// and the one recording. Called on the UI thread; grabbing, writing and
// finishing run on worker threads, so a stalled disk never holds it up.

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include <QString>
#include <QStringList>

#include "capture/capture_path.h"
#include "capture/frame_grabber.h"
#include "capture/source_choice.h"
#include "capture/video_recorder.h"

namespace tavro {

struct CaptureOptions {
  GrabberOptions grabber;
  RecorderOptions recorder;
  // How long a snapshot or a recording waits for the first frame, beyond opening.
  std::chrono::milliseconds firstFrameWait{2000};
  // How long closing waits for recordings still being finished.
  std::chrono::milliseconds finishWait{10000};
};

class CaptureSession {
 public:
  using FrameCallback = std::function<void()>;
  using FailureCallback = std::function<void(const std::string& message)>;
  using FinishCallback = std::function<void(const RecordingSummary& summary)>;
  using SourceFactory = std::function<SourceChoice()>;

  // makeSource is asked at each opening. onFrame runs on the grabbing thread
  // after each frame, onRecordingFailed on a worker thread when a recording
  // stops by itself, onRecordingFinished on the thread that finished one;
  // none once the session is gone.
  CaptureSession(SourceFactory makeSource, FrameCallback onFrame, FailureCallback onRecordingFailed,
                 FinishCallback onRecordingFinished, CaptureOptions options = {});
  // Finishes a running recording, waits up to finishWait for those being finished (standard error
  // tells where any still unfinished keep their frames) and stops grabbing.
  ~CaptureSession();

  // Opens the source and starts grabbing, unless it runs already.
  void start();
  bool started() const { return grabber_ != nullptr; }
  // The preview needs the source while it is on; switching it on starts it.
  void setPreviewOn(bool on);
  // The preview or a recording (running, or stopped and not yet finished).
  bool needsSource() const { return previewOn_ || recorder_ != nullptr; }
  // Stops grabbing, closing the camera, unless something needs the source.
  void releaseIfUnneeded() {
    if (!needsSource()) grabber_.reset();
  }
  NumberedFrame latestFrame() const { return grabber_ ? grabber_->latestFrame() : NumberedFrame{}; }
  // "" before start.
  std::string status() const { return grabber_ ? grabber_->status() : std::string(); }
  bool usingTestPicture() const { return grabber_ && grabber_->usingTestPicture(); }

  // Paths as the system takes them. Failures throw Error(Platform).
  void writeFrameFile(const QString& path) { writeFrame(path, false); }
  // Writes nothing and returns false when the test picture stands in for a camera.
  bool writeCameraFrameFile(const QString& path) { return writeFrame(path, true); }
  void setRecordFileName(const QString& path) { recordFileName_ = path; }
  QString recordingFile() const { return recordingFileName(recordFileName_); }
  // Starts recording into recordingFile() (while one runs: nothing, or finishing one that stopped by
  // itself). Returns a line for each unfinished recording of an earlier run found there and kept.
  QStringList startRecording();
  // Hands a running recording to a thread that finishes it; onRecordingFinished tells the outcome.
  void stopRecording();
  // True from startRecording until stopRecording, unless it stopped by itself.
  bool isRecording() const { return recorder_ && !recorder_->failed(); }
  // A recording that stopped by itself and is not finished yet.
  bool hasStoppedRecording() const { return recorder_ && recorder_->failed(); }
  bool isFinishingRecording() const;

 private:
  struct Finishing;  // shared with the finishing threads

  NumberedFrame waitForFrame(bool settled);  // starts grabbing
  bool writeFrame(const QString& path, bool cameraOnly);
  // The file a recording (running or being finished) will take, if any.
  bool isBeingRecorded(const QString& path) const;

  SourceFactory makeSource_;
  FrameCallback onFrame_;
  FailureCallback onRecordingFailed_;
  CaptureOptions options_;
  QString recordFileName_;
  bool previewOn_ = false;
  std::shared_ptr<Finishing> finishing_;
  std::unique_ptr<FrameGrabber> grabber_;
  std::unique_ptr<VideoRecorder> recorder_;  // after grabber_: goes first
};

}  // namespace tavro

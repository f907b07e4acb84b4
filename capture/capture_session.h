#pragma once
// Everything the capture control does apart from drawing: the source opened
// on first need and let go when neither the preview nor a recording needs
// it, the latest frame, snapshots and the one recording. Called on the UI
// thread; the grabbing and the writing run on worker threads.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QString>

#include "capture/frame_grabber.h"
#include "capture/source_choice.h"
#include "capture/video_recorder.h"

namespace tavro {

struct CaptureOptions {
  GrabberOptions grabber;
  RecorderOptions recorder;
  // How long a snapshot or a recording waits for the first frame, beyond
  // the time the camera gets to open.
  std::chrono::milliseconds firstFrameWait{2000};
};

class CaptureSession {
 public:
  using FrameCallback = std::function<void()>;
  using FailureCallback = std::function<void(const std::string& message)>;
  using SourceFactory = std::function<SourceChoice()>;

  // makeSource is asked each time a source is opened. onFrame runs on the
  // grabbing thread after each frame, onRecordingFailed on a worker thread
  // when a recording stops by itself.
  CaptureSession(SourceFactory makeSource, FrameCallback onFrame, FailureCallback onRecordingFailed,
                 CaptureOptions options = {});
  // Finishes a running recording (its failure is dropped) and stops grabbing.
  ~CaptureSession();
  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  // Opens the source and starts grabbing, unless it runs already.
  void start();
  bool started() const { return grabber_ != nullptr; }
  // The preview needs the source while it is on; switching it on starts it.
  void setPreviewOn(bool on);
  // The preview or a recording (running, or stopped by itself and not yet
  // finished) needs the source.
  bool needsSource() const;
  // Stops grabbing, closing the camera, unless something needs the source.
  void releaseIfUnneeded();
  NumberedFrame latestFrame() const;
  // "" before start.
  std::string status() const;
  bool usingTestPicture() const;
  double framesPerSecond() const;

  // Paths as the system takes them. Failures throw Error(Platform).
  void writeFrameFile(const QString& path);
  // Writes nothing and returns false when the frame is the test picture
  // standing in for a camera.
  bool writeCameraFrameFile(const QString& path);
  void setRecordFileName(const QString& path);
  // Does nothing while a recording runs; reports the failure of an earlier
  // recording that stopped by itself instead of starting.
  void startRecording();
  // Does nothing when no recording runs.
  RecordingSummary stopRecording();
  // True from startRecording until stopRecording, unless it stopped by itself.
  bool isRecording() const;
  // A recording that stopped by itself and is not finished yet.
  bool hasStoppedRecording() const;

 private:
  NumberedFrame waitForFrame();  // starts grabbing
  bool writeFrame(const QString& path, bool cameraOnly);
  bool isBeingRecorded(const QString& path) const;

  SourceFactory makeSource_;
  FrameCallback onFrame_;
  FailureCallback onRecordingFailed_;
  CaptureOptions options_;
  QString recordFileName_;
  bool previewOn_ = false;
  std::unique_ptr<FrameGrabber> grabber_;
  std::unique_ptr<VideoRecorder> recorder_;  // after grabber_: goes first
};

}  // namespace tavro

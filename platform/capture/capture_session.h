#pragma once
// Everything the capture control does apart from drawing: the source opened
// on first need, the latest frame, snapshots and the one recording. Called
// on the UI thread; the grabbing and the writing run on worker threads.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QString>

#include "platform/capture/frame_grabber.h"
#include "platform/capture/source_choice.h"
#include "platform/capture/video_recorder.h"

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

  // source: the source to try first; empty for the automatic choice.
  // onFrame runs on the grabbing thread after each frame, onRecordingFailed
  // on a worker thread when a recording stops by itself.
  CaptureSession(std::unique_ptr<FrameSource> source, FrameCallback onFrame,
                 FailureCallback onRecordingFailed, CaptureOptions options = {});
  // Finishes a running recording (its failure is dropped) and stops grabbing.
  ~CaptureSession();
  CaptureSession(const CaptureSession&) = delete;
  CaptureSession& operator=(const CaptureSession&) = delete;

  // Before start: the camera that setting names, not TAVRO_CAMERA's.
  void useCamera(const CameraSetting& camera) { camera_ = camera; }
  // Opens the source and starts grabbing, the first time only.
  void start();
  bool started() const { return grabber_ != nullptr; }
  NumberedFrame latestFrame() const;
  // "" before start.
  std::string status() const;
  bool usingTestPicture() const;
  double framesPerSecond() const;

  // Paths as typed (see typedPath). Failures throw Error(Platform).
  void writeFrameFile(const QString& typedPath);
  void setRecordFileName(const QString& typedPath);
  // Does nothing while a recording runs; reports the failure of an earlier
  // recording that stopped by itself instead of starting.
  void startRecording();
  // Does nothing when no recording runs.
  void stopRecording();
  // True from startRecording until stopRecording, unless it stopped by itself.
  bool isRecording() const;
  // A recording that stopped by itself and is not finished yet.
  bool hasStoppedRecording() const;

 private:
  cv::Mat waitForFrame();  // starts grabbing
  bool isBeingRecorded(const QString& path) const;

  std::unique_ptr<FrameSource> preferred_;
  std::optional<CameraSetting> camera_;
  FrameCallback onFrame_;
  FailureCallback onRecordingFailed_;
  CaptureOptions options_;
  QString recordFileName_;
  std::unique_ptr<FrameGrabber> grabber_;
  std::unique_ptr<VideoRecorder> recorder_;  // after grabber_: goes first
};

}  // namespace tavro

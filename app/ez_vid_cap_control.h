#pragma once
// The capture control on the window, seen through the members the commands
// use.

#include "app/capture_control.h"
#include "capture/ez_vid_cap.h"
#include "capture/video_recorder.h"

namespace tavro {

class EzVidCapControl : public CaptureControl {
 public:
  explicit EzVidCapControl(ezVidCap& control) : control_(control) {}
  void setLiveView(bool on) override { control_.setLiveView(on); }
  void WriteFrameFile(const QString& path) override { control_.WriteFrameFile(path); }
  bool WriteCameraFrameFile(const QString& path) override { return control_.WriteCameraFrameFile(path); }
  void setRecordFileName(const QString& path) override { control_.setRecordFileName(path); }
  void StartRecording() override { control_.StartRecording(); }
  RecordingResult StopRecording() override {
    const bool running = control_.isRecording();
    const RecordingSummary summary = control_.StopRecording();
    return {running, summary.framesWritten, summary.framesDropped, summary.framesPerSecond};
  }
  bool isRecording() const override { return control_.isRecording(); }

 private:
  ezVidCap& control_;
};

}  // namespace tavro

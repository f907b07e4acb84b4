#pragma once
// The capture control on the window, seen through the members the commands
// use.

#include "app/capture_control.h"
#include "capture/ez_vid_cap.h"

namespace tavro {

class EzVidCapControl : public CaptureControl {
 public:
  explicit EzVidCapControl(ezVidCap& control) : control_(control) {}
  void setLiveView(bool on) override { control_.setLiveView(on); }
  void WriteFrameFile(const QString& path) override { control_.WriteFrameFile(path); }
  bool WriteCameraFrameFile(const QString& path) override { return control_.WriteCameraFrameFile(path); }
  void setRecordFileName(const QString& path) override { control_.setRecordFileName(path); }
  QString recordingFile() const override { return control_.recordingFile(); }
  void StartRecording() override { control_.StartRecording(); }
  void StopRecording() override { control_.StopRecording(); }
  bool isRecording() const override { return control_.isRecording(); }

 private:
  ezVidCap& control_;
};

}  // namespace tavro

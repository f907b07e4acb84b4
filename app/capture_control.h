#pragma once
// The five members of the capture control that the window uses. Each throws
// tavro::Error when the control cannot do it.

#include <QString>

namespace tavro {

class CaptureControl {
 public:
  virtual ~CaptureControl() = default;
  virtual void setLiveView(bool on) = 0;
  virtual void WriteFrameFile(const QString& path) = 0;
  virtual void setRecordFileName(const QString& path) = 0;
  virtual void StartRecording() = 0;
  virtual void StopRecording() = 0;
};

}  // namespace tavro

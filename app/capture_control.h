#pragma once
// The members of the capture control that the window uses. Each throws
// tavro::Error when the control cannot do it.

#include <QString>

namespace tavro {

class CaptureControl {
 public:
  virtual ~CaptureControl() = default;
  virtual void setLiveView(bool on) = 0;
  virtual void WriteFrameFile(const QString& path) = 0;
  // A snapshot for a face file: false, and nothing written, when only the
  // test picture standing in for a camera is there.
  virtual bool WriteCameraFrameFile(const QString& path) = 0;
  virtual void setRecordFileName(const QString& path) = 0;
  // The file a recording started now would be written to.
  virtual QString recordingFile() const = 0;
  virtual void StartRecording() = 0;
  // Returns at once; the recording is finished in the background and its
  // outcome told by the control's signals.
  virtual void StopRecording() = 0;
  virtual bool isRecording() const = 0;
};

}  // namespace tavro

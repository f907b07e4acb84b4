#pragma once
// The members of the capture control that the window uses. Each throws
// tavro::Error when the control cannot do it.

#include <QString>
#include <cstdint>

namespace tavro {

// What StopRecording ended.
struct RecordingResult {
  bool saved = false;  // false: no recording was running
  std::uint64_t framesWritten = 0;
  std::uint64_t framesDropped = 0;  // left out while the writing fell behind
  double framesPerSecond = 0.0;     // as the file plays them

  // The video's length; 0 when its rate is unknown.
  double seconds() const { return framesPerSecond > 0.0 ? double(framesWritten) / framesPerSecond : 0.0; }
};

class CaptureControl {
 public:
  virtual ~CaptureControl() = default;
  virtual void setLiveView(bool on) = 0;
  virtual void WriteFrameFile(const QString& path) = 0;
  // A snapshot for a face file: false, and nothing written, when only the
  // test picture standing in for a camera is there.
  virtual bool WriteCameraFrameFile(const QString& path) = 0;
  virtual void setRecordFileName(const QString& path) = 0;
  virtual void StartRecording() = 0;
  virtual RecordingResult StopRecording() = 0;
  virtual bool isRecording() const = 0;
};

}  // namespace tavro

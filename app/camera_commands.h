#pragma once
// The camera buttons: preview on and off, a snapshot shown in PIC_DISPLAY,
// the three database snapshots of face 19, and video recording. A failure
// ends in a message naming the button and the error; what was done is told
// on the status line.

#include <QString>
#include <cstdint>
#include <exception>

#include "app/capture_control.h"
#include "app/status_report.h"
#include "widgets/message_box.h"
#include "widgets/picture_box_model.h"

namespace tavro {

class CameraCommands {
 public:
  CameraCommands(CaptureControl& capture, QString programDirectory, MessageBox& messages,
                 PictureBoxModel& display, StatusReport& status);

  // "ON" and "OFF".
  void switchPreviewOn();
  void switchPreviewOff();
  // "TAKE PIC": a snapshot to the typed path, then shown in PIC_DISPLAY.
  void takePicture(const QString& typedText);
  // "PIC (A)", "PIC (B)", "PIC (C)": a snapshot to face 19's file of that
  // picture index (0 = "a"); refused, the file kept and no folder made,
  // when the test picture stands in for the camera.
  void takeDatabasePicture(std::int16_t letterIndex);
  // "Record " and "STOP AVI" (or Esc, as command).
  void startRecording(const QString& typedText);
  void stopRecording(const QString& command = QStringLiteral("STOP AVI"));
  // A recording was finished and saved: what the control says of it.
  void recordingSaved(const QString& summary);

  std::int16_t snapshotFaceNumber() const { return snapshotFaceNumber_; }

 private:
  void report(const QString& command, const std::exception& error);

  CaptureControl& capture_;
  QString programDirectory_;
  MessageBox& messages_;
  PictureBoxModel& display_;
  StatusReport& status_;
  std::int16_t snapshotFaceNumber_ = 0;
  QString recordingPath_;  // of the recording started last
};

}  // namespace tavro

#pragma once
// The camera buttons: preview on and off, a snapshot shown in PIC_DISPLAY,
// the three database snapshots of face 19, and video recording. A failure
// ends in a message naming the button and the error.

#include <QString>
#include <cstdint>
#include <exception>

#include "app/capture_control.h"
#include "widgets/message_box.h"
#include "widgets/picture_box_model.h"

namespace tavro {

class CameraCommands {
 public:
  CameraCommands(CaptureControl& capture, QString programDirectory, MessageBox& messages,
                 PictureBoxModel& display);

  // "ON" and "OFF".
  void switchPreviewOn();
  void switchPreviewOff();
  // "TAKE PIC": a snapshot to the typed path, then shown in PIC_DISPLAY.
  void takePicture(const QString& typedText);
  // "PIC (A)", "PIC (B)", "PIC (C)": a snapshot to face 19's file of that
  // picture index (0 = "a"); refused, the file kept, when the test picture
  // stands in for the camera.
  void takeDatabasePicture(std::int16_t letterIndex);
  // "Record " and "STOP AVI".
  void startRecording(const QString& typedText);
  void stopRecording();

  std::int16_t snapshotFaceNumber() const { return snapshotFaceNumber_; }

 private:
  void report(const QString& command, const std::exception& error);

  CaptureControl& capture_;
  QString programDirectory_;
  MessageBox& messages_;
  PictureBoxModel& display_;
  std::int16_t snapshotFaceNumber_ = 0;
};

}  // namespace tavro

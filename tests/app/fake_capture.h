#pragma once
// A capture control for the command tests.

#include <QStringList>
#include <utility>

#include "app/capture_control.h"
#include "face_picture_files.h"
#include "platform/errors.h"

namespace tavro::testing {

// Keeps every call; writes a real picture for a snapshot unless told to fail.
class FakeCapture : public tavro::CaptureControl {
 public:
  void setLiveView(bool on) override { calls.append(on ? "LiveView true" : "LiveView false"); }
  void WriteFrameFile(const QString& path) override {
    calls.append("WriteFrameFile " + path);
    if (!failure.isEmpty()) throw tavro::Error(tavro::ErrorKind::Platform, failure.toStdString());
    if (writeText) {
      ::tavro::testing::writeText(path, "no picture");
      return;
    }
    facePicture(9, 0).save(path, "BMP");
  }
  bool WriteCameraFrameFile(const QString& path) override {
    if (standIn) return false;
    WriteFrameFile(path);
    return true;
  }
  void setRecordFileName(const QString& path) override {
    calls.append("RecordFileName " + path);
    recordFileName = path;
  }
  QString recordingFile() const override { return recordFileName; }
  void StartRecording() override {
    calls.append("StartRecording");
    if (!failure.isEmpty()) throw tavro::Error(tavro::ErrorKind::Platform, failure.toStdString());
    recording = true;
  }
  void StopRecording() override {
    calls.append("StopRecording");
    recording = false;
  }
  bool isRecording() const override { return recording; }

  QStringList calls;
  QString failure;
  bool writeText = false;
  bool standIn = false;  // only the test picture standing in for a camera
  bool recording = false;
  QString recordFileName;
};

}  // namespace tavro::testing

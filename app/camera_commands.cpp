#include "app/camera_commands.h"

#include "app/face_folder.h"
#include "app/file_names.h"
#include "app/typed_path.h"
#include "pictures/picture_loader.h"

namespace tavro {

namespace {

// Every database snapshot belongs to face 19.
constexpr std::int16_t kSnapshotFace = 19;

QString databaseButtonCaption(std::int16_t letterIndex) {
  return QStringLiteral("PIC (%1)").arg(QChar(static_cast<char16_t>(u'A' + letterIndex)));
}

}  // namespace

CameraCommands::CameraCommands(CaptureControl& capture, QString programDirectory,
                               MessageBox& messages, PictureBoxModel& display)
    : capture_(capture),
      programDirectory_(std::move(programDirectory)),
      messages_(messages),
      display_(display) {}

void CameraCommands::switchPreviewOn() {
  try {
    capture_.setLiveView(true);
  } catch (const std::exception& e) {
    report(QStringLiteral("ON"), e);
  }
}

void CameraCommands::switchPreviewOff() {
  try {
    capture_.setLiveView(false);
  } catch (const std::exception& e) {
    report(QStringLiteral("OFF"), e);
  }
}

void CameraCommands::takePicture(const QString& typedText) {
  const QString path = typedPath(typedText);
  try {
    capture_.WriteFrameFile(path);
  } catch (const std::exception& e) {
    report(QStringLiteral("TAKE PIC"), e);
    return;
  }
  try {
    display_.setPicture(loadPicture(path, PictureLoadOptions{display_.drawingArea()}));
  } catch (const std::exception& e) {
    messages_.show(QStringLiteral("TAKE PIC: the snapshot could not be shown: ") +
                   QString::fromStdString(e.what()));
  }
}

void CameraCommands::takeDatabasePicture(std::int16_t letterIndex) {
  const QString command = databaseButtonCaption(letterIndex);
  try {
    snapshotFaceNumber_ = kSnapshotFace;
    const QString faceFile = faceFilePath(programDirectory_, snapshotFaceNumber_, letterIndex);
    createFolderOf(faceFile);  // a user's face folder starts with its first snapshot
    // The next training run would learn the test pattern as a face.
    if (!capture_.WriteCameraFrameFile(faceFile))
      messages_.show(command + QStringLiteral(" refused: there is no camera picture, only the test picture "
                                              "standing in for the camera. The face file ") +
                     faceFile + QStringLiteral(" was kept as it was."));
  } catch (const std::exception& e) {
    report(command, e);
  }
}

void CameraCommands::startRecording(const QString& typedText) {
  try {
    capture_.setRecordFileName(typedPath(typedText));
    capture_.StartRecording();
  } catch (const std::exception& e) {
    report(QStringLiteral("Record"), e);
  }
}

void CameraCommands::stopRecording() {
  try {
    capture_.StopRecording();
  } catch (const std::exception& e) {
    report(QStringLiteral("STOP AVI"), e);
  }
}

void CameraCommands::report(const QString& command, const std::exception& error) {
  messages_.show(command + QStringLiteral(" failed: ") + QString::fromStdString(error.what()));
}

}  // namespace tavro

#include "app/camera_commands.h"

#include <QScopeGuard>

#include "app/face_folder.h"
#include "app/file_names.h"
#include "app/typed_path.h"
#include "files/entries.h"
#include "files/native_names.h"
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
                               MessageBox& messages, PictureBoxModel& display, StatusReport& status)
    : capture_(capture),
      programDirectory_(std::move(programDirectory)),
      messages_(messages),
      display_(display),
      status_(status) {}

void CameraCommands::switchPreviewOn() {
  try {
    capture_.setLiveView(true);
    status_.previewSwitched(true);
  } catch (const std::exception& e) {
    report(QStringLiteral("ON"), e);
  }
}

void CameraCommands::switchPreviewOff() {
  try {
    capture_.setLiveView(false);
    status_.previewSwitched(false);
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
    display_.setPicture(loadPicture(path, PictureLoadOptions{display_.drawingArea()}),
                        QStringLiteral("snapshot ") + shownFileName(path));
    status_.snapshotWritten(path);
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
    const bool existed = entryKind(faceFile) == EntryKind::File;
    // A user's face folder starts with its first snapshot, not with a refused one.
    const QStringList madeFolders = createFolderOf(faceFile);
    auto unmake = qScopeGuard([&madeFolders] { removeFolders(madeFolders); });
    if (capture_.WriteCameraFrameFile(faceFile)) {
      unmake.dismiss();
      status_.faceSnapshotWritten(command, faceFile, letterIndex);
      return;
    }
    // The next training run would learn the test pattern as a face.
    messages_.show(command +
                   QStringLiteral(" refused: there is no camera picture, only the test picture standing in for the "
                                  "camera. ") +
                   (existed ? QStringLiteral("The face file %1 was kept as it was.").arg(displayName(faceFile))
                            : QStringLiteral("No face file was written (%1).").arg(displayName(faceFile))));
  } catch (const std::exception& e) {
    report(command, e);
  }
}

void CameraCommands::startRecording(const QString& typedText) {
  try {
    const QString path = typedPath(typedText);
    // A click while recording leaves the running recording as it is.
    const bool running = capture_.isRecording();
    capture_.setRecordFileName(path);
    capture_.StartRecording();
    if (!running) recordingPath_ = capture_.recordingFile();
    status_.recordingStarted(recordingPath_, running);
  } catch (const std::exception& e) {
    report(QStringLiteral("Record"), e);
  }
}

void CameraCommands::stopRecording(const QString& command) {
  try {
    const bool running = capture_.isRecording();
    capture_.StopRecording();
    status_.recordingStopping(command, recordingPath_, running);
  } catch (const std::exception& e) {
    report(command, e);
  }
}

void CameraCommands::recordingSaved(const QString& summary) { status_.say(summary); }

void CameraCommands::report(const QString& command, const std::exception& error) {
  messages_.show(command + QStringLiteral(" failed: ") + QString::fromStdString(error.what()));
}

}  // namespace tavro

#include "app/face_picture_loader.h"

#include <QFileInfo>
#include <exception>

#include "app/file_names.h"
#include "platform/picture/picture_loader.h"

namespace tavro {

FacePictureLoader::FacePictureLoader(QString programDirectory, MessageBox& messages)
    : programDirectory_(std::move(programDirectory)), messages_(messages) {}

bool FacePictureLoader::loadFace(std::int16_t faceNumber, std::int16_t pictureLetterIndex,
                                 PictureBoxModel& target) {
  try {
    return loadIfPresent(target, faceFilePath(programDirectory_, faceNumber, pictureLetterIndex));
  } catch (const std::exception& e) {
    messages_.show(QStringLiteral("frmMain/loadFace/") + QString::fromStdString(e.what()));
    return false;
  }
}

bool FacePictureLoader::loadFace2(PictureBoxModel& target, const QString& pictureFile) {
  try {
    return loadIfPresent(target, pictureFile);
  } catch (const std::exception& e) {
    messages_.show(QStringLiteral("frmMain/loadFace2/") + QString::fromStdString(e.what()));
    return false;
  }
}

bool FacePictureLoader::loadFace2(PictureBoxModel& target, QIODevice& picture, const QString& name) {
  try {
    target.setPicture(loadPicture(picture, name));
    return true;
  } catch (const std::exception& e) {
    messages_.show(QStringLiteral("frmMain/loadFace2/") + QString::fromStdString(e.what()));
    return false;
  }
}

bool FacePictureLoader::loadIfPresent(PictureBoxModel& target, const QString& path) {
  // Only an ordinary file counts; anything else is skipped without a word.
  if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
  target.setPicture(loadPicture(path));
  return true;
}

}  // namespace tavro

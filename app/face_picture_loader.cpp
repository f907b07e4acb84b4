#include "app/face_picture_loader.h"

#include <exception>

#include "app/file_names.h"
#include "pictures/picture_file.h"
#include "pictures/picture_loader.h"

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

bool FacePictureLoader::loadIfPresent(PictureBoxModel& target, const QString& path) {
  // Only an ordinary file counts; a name that leads to nothing else is
  // skipped without a word, one the system cannot look up is reported.
  if (!ordinaryFileExists(path)) return false;
  // The box shows the picture's top-left corner only: nothing more is decoded.
  target.setPicture(loadPicture(path, PictureLoadOptions{target.drawingArea()}));
  return true;
}

}  // namespace tavro

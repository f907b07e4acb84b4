#include "app/face_picture_loader.h"

#include <exception>

#include "app/file_names.h"
#include "files/entries.h"
#include "files/native_names.h"
#include "pictures/picture_file.h"
#include "pictures/picture_loader.h"

namespace tavro {

namespace {

// A JPEG whose longer side is twice this or more is decoded at a reduced
// scale to find its face: the face still covers more pixels than a box.
constexpr int kFaceSearchSide = 640;

}  // namespace

QString PictureLoad::reason() const { return result == Result::Missing ? QStringLiteral("not found") : message; }

FacePictureLoader::FacePictureLoader(QString programDirectory, MessageBox& messages)
    : programDirectory_(std::move(programDirectory)), messages_(messages) {}

PictureLoad FacePictureLoader::loadFace(std::int16_t faceNumber, std::int16_t pictureLetterIndex,
                                        PictureBoxModel& target) {
  try {
    return shown(read(target, faceFilePath(programDirectory_, faceNumber, pictureLetterIndex)), kLoadFacePrefix);
  } catch (const std::exception& e) {
    return shown({PictureLoad::Result::Unreadable, QString::fromStdString(e.what())}, kLoadFacePrefix);
  }
}

PictureLoad FacePictureLoader::loadFace2(PictureBoxModel& target, const QString& pictureFile) {
  return shown(read(target, pictureFile), kLoadFace2Prefix);
}

PictureLoad FacePictureLoader::read(PictureBoxModel& target, const QString& path) {
  // A name the system cannot be given names nothing.
  if (path.isEmpty() || path.contains(QChar(0))) return {};
  try {
    // A name the system cannot look up is reported with its reason.
    if (!ordinaryFileExists(path) && entryKind(path) == EntryKind::Nothing) return {};
    PictureLoad::Face face = PictureLoad::Face::NotLookedFor;
    if (finder_) {
      // The face is looked for in the whole picture, in grey, a large JPEG at a reduced scale.
      const QImage whole = loadPicture(path, PictureLoadOptions{{}, true, kFaceSearchSide});
      if (const std::optional<QRect> square = finder_->faceSquare(whole)) {
        target.setPicture(FaceFinder::cutFace(whole, *square, target.drawingArea()), shownFileName(path));
        return {PictureLoad::Result::Loaded, {}, PictureLoad::Face::Found};
      }
      face = PictureLoad::Face::NotFound;
    }
    // The box shows the picture's top-left corner only: nothing more is decoded.
    target.setPicture(loadPicture(path, PictureLoadOptions{target.drawingArea()}), shownFileName(path));
    return {PictureLoad::Result::Loaded, {}, face};
  } catch (const std::exception& e) {
    return {PictureLoad::Result::Unreadable, QString::fromStdString(e.what())};
  }
}

PictureLoad FacePictureLoader::shown(PictureLoad load, const QString& prefix) {
  if (load.result == PictureLoad::Result::Unreadable) messages_.show(prefix + load.message);
  return load;
}

QString shownFileName(const QString& path) {
  const QString shown = displayName(path);
  return shown.mid(shown.lastIndexOf(u'/') + 1);
}

}  // namespace tavro

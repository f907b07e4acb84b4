#pragma once
// The window's two picture-loading routines. They are the only routines that
// catch their own errors: a failure shows "frmMain/loadFace/" or
// "frmMain/loadFace2/" followed by the error's text, the target keeps its
// picture, and the caller carries on. A training run reads its face files
// quietly instead and reports their failures together.
//
// A name that leads to nothing is skipped without a word. Anything else
// that is no ordinary file (a folder, a FIFO, a device) is refused as
// unreadable by the picture loader ("Not a file: ..."), never waited on.

#include <QString>
#include <cstdint>

#include "finding/face_finder.h"
#include "widgets/message_box.h"
#include "widgets/picture_box_model.h"

namespace tavro {

inline const QString kLoadFacePrefix = QStringLiteral("frmMain/loadFace/");
inline const QString kLoadFace2Prefix = QStringLiteral("frmMain/loadFace2/");

// What became of one picture file.
struct PictureLoad {
  enum class Result { Loaded, Missing, Unreadable };
  // Whether a loaded picture's face was looked for, and found.
  enum class Face { NotLookedFor, Found, NotFound };
  Result result = Result::Missing;
  QString message;  // Unreadable: the loader's message, naming the file
  Face face = Face::NotLookedFor;

  bool loaded() const { return result == Result::Loaded; }
  explicit operator bool() const { return loaded(); }
  // Why it was not loaded: "not found" or the loader's message.
  QString reason() const;
};

class FacePictureLoader {
 public:
  FacePictureLoader(QString programDirectory, MessageBox& messages);

  // Loads the face file of a number and picture index (0 = "a") into the
  // target when such a file exists.
  PictureLoad loadFace(std::int16_t faceNumber, std::int16_t pictureLetterIndex, PictureBoxModel& target);
  // Loads the file into the target when it exists; the path is used as given.
  PictureLoad loadFace2(PictureBoxModel& target, const QString& pictureFile);
  // The same without a message: the caller tells the failure.
  PictureLoad read(PictureBoxModel& target, const QString& path);

  const QString& programDirectory() const { return programDirectory_; }

  // With a finder, a box shows the face found in the whole picture, cut to
  // fill it, in place of the picture's corner; a picture in which no face
  // is found is shown as it is. None: the corner, always.
  void setFaceFinder(FaceFinder* finder) { finder_ = finder; }
  bool findsFaces() const { return finder_ != nullptr; }

 private:
  PictureLoad shown(PictureLoad load, const QString& prefix);

  QString programDirectory_;
  MessageBox& messages_;
  FaceFinder* finder_ = nullptr;
};

// The last part of a path ("face12a.jpg"), as messages show it.
QString shownFileName(const QString& path);

}  // namespace tavro

#pragma once
// The window's two picture-loading routines. They are the only routines that
// catch their own errors: a failure shows "frmMain/loadFace/" or
// "frmMain/loadFace2/" followed by the error's text, the target keeps its
// picture, and the caller carries on.

#include <QString>
#include <cstdint>

#include "widgets/message_box.h"
#include "widgets/picture_box_model.h"

namespace tavro {

class FacePictureLoader {
 public:
  FacePictureLoader(QString programDirectory, MessageBox& messages);

  // Loads the face file of a number and picture index (0 = "a") into the
  // target when such a file exists. True when the target got a new picture.
  bool loadFace(std::int16_t faceNumber, std::int16_t pictureLetterIndex, PictureBoxModel& target);
  // Loads the file into the target when it exists; the path is used as given.
  bool loadFace2(PictureBoxModel& target, const QString& pictureFile);

  const QString& programDirectory() const { return programDirectory_; }

 private:
  bool loadIfPresent(PictureBoxModel& target, const QString& path);

  QString programDirectory_;
  MessageBox& messages_;
};

}  // namespace tavro

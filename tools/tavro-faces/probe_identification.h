#pragma once
// Training runs and identifications over the face files of one folder, on
// the same two face boxes, loader and session as the window: pic0 is the
// work surface, pic1 gets the matched number's "a" file.

#include <QString>
#include <cstdint>
#include <string>

#include "app/recognition_session.h"
#include "face/face_recogniser.h"
#include "widgets/message_box.h"
#include "widgets/picture_box_model.h"

namespace tavro::faces_tool {

struct ProbeAnswer {
  QString probe;             // as given; may hold raw bytes
  bool probeLoaded = false;  // false: the answer is for what pic0 showed before
  QString notLoadedReason;   // then why: "not found" or the loader's message
  std::string faceName;      // as the recogniser answered
  std::int16_t faceNumber = 0;
  QString shownFaceFile;     // the file pic1 shows now; empty when it kept its picture
  int storedFaces = 0;       // faces the probe was compared with
  MatchCertainty certainty;  // the answer's score, runner-up and margin
  bool uncertain = false;    // marked so by --min-margin
  PictureLoad::Face face = PictureLoad::Face::NotLookedFor;  // the probe's, with --find-face

  // The probe itself was looked at and matched to a stored face.
  bool identified() const { return probeLoaded && !faceName.empty(); }
};

class ProbeIdentification {
 public:
  // The folder's name may hold raw bytes (see files/native_names.h).
  ProbeIdentification(QString facesDirectory, MessageBox& messages);

  // The given number of training runs, each as one "Train Database" click;
  // returns how many face files were loaded in all. Each unreadable face file
  // is told to the message box. Throws tavro::Error when a run fails (the
  // faces added before stay).
  int train(int runs);
  const TrainingRun& lastRun() const { return session_.lastRun(); }
  // "Check IMAGE" on the probe path. Throws when the recogniser fails.
  ProbeAnswer identify(const QString& probe);
  // From now on each face file and probe is cut to the face the finder
  // finds in it (none: the picture's corner).
  void findFaces(FaceFinder* finder) { session_.loader().setFaceFinder(finder); }

  int storedFaces() const { return session_.faceCount(); }
  // What the last identification left behind.
  const PictureBoxModel& workSurface() const { return pic0_; }
  ClassFaceRecogniser& recogniser() { return session_.faceRecogniser(); }

 private:
  MessageBox& messages_;
  PictureBoxModel pic0_;
  PictureBoxModel pic1_;
  RecognitionSession session_;
};

}  // namespace tavro::faces_tool

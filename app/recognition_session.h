#pragma once
// The training and identification routines over the face files of one
// program directory: what "Train Database", "Check IMAGE" and "TEST" do,
// without the window. The window and the command-line tools share it.
//
// pic0 is the work surface every face file and probe is loaded into and the
// recogniser reads; pic1 shows the matched face's "a" file.

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/face_picture_loader.h"
#include "app/file_stamp.h"
#include "app/training_run.h"
#include "face/face_recogniser.h"
#include "widgets/message_box.h"
#include "widgets/picture_box_model.h"

namespace tavro {

struct Identification {
  // Whether the "a" file pic1 shows is the one the answer was trained with.
  enum class TrainedPicture {
    Same,
    Changed,  // replaced or edited since (its time or size differ)
    Unread,   // missing or unreadable at that training run
  };

  QString probePath;
  PictureLoad probe;             // whether the probe file was loaded into pic0
  std::string faceName;          // as the recogniser answered; may be empty
  std::int16_t faceNumber = 0;   // the name read as a number
  QString matchedFaceFile;       // that number's "a" file
  PictureLoad matchedFace;       // whether that file was loaded into pic1
  TrainedPicture trainedPicture = TrainedPicture::Same;  // when it was loaded
  MatchCertainty certainty;      // the answer's score, runner-up and margin
};

// The one rule of the window and tavro-faces: an answer is uncertain when
// its margin is below minMargin, when it has no runner-up, or when the
// probe's face was looked for and not found.
bool isUncertainAnswer(const MatchCertainty& certainty, PictureLoad::Face probeFace, double minMargin);

class RecognitionSession {
 public:
  static constexpr std::int16_t kGridSide = 25;
  static constexpr std::int16_t kFaceNumbers = 20;  // 0 .. 19
  static constexpr std::int16_t kLetters = 2;       // "a", "b"
  static constexpr int kFacesPerRun = kFaceNumbers * kLetters;

  RecognitionSession(QString programDirectory, MessageBox& messages, PictureBoxModel& pic0,
                     PictureBoxModel& pic1);
  ~RecognitionSession();

  // One training run: init(25, 25), then face0a .. face19a, face0b .. face19b
  // each loaded into pic0 when present and added under its number. A run
  // that would not fit the recogniser's capacity is refused before it starts
  // (Error(SubscriptOutOfRange)); any other error stops the run and is passed
  // on, the faces added before it staying stored. The face files are read
  // without a message: the run tells what it read (also lastRun(), for a
  // run that failed).
  TrainingRun trainDatabase();
  const TrainingRun& lastRun() const { return lastRun_; }

  // Loads the probe into pic0 (when present), identifies what pic0 shows and
  // shows the matched number's "a" file in pic1 (when present).
  Identification identify(const QString& probePath);

  // The probe of "TEST": five draws of the random source, only the fifth
  // used, rounded ties to even: face0a or face1a.
  QString testProbePath() const;

  // Loads a picture into pic0 only.
  PictureLoad loadIntoWorkSurface(const QString& path);

  // Faces stored so far (0 before the first run).
  int faceCount() const;
  bool hasRoomForARun() const;

  FacePictureLoader& loader() { return loader_; }
  // The recogniser, created on first use and kept.
  ClassFaceRecogniser& faceRecogniser();

 private:
  FacePictureLoader loader_;
  PictureBoxModel& pic0_;
  PictureBoxModel& pic1_;
  std::unique_ptr<ClassFaceRecogniser> faceRecogniser_;
  TrainingRun lastRun_;
  // For each stored face, its number's "a" file as its run read it (none
  // when missing or unreadable then).
  std::vector<std::optional<FileStamp>> trainedAFiles_;
};

}  // namespace tavro

#include "app/recognition_session.h"

#include "app/face_names.h"
#include "app/file_names.h"
#include "imaging/checked_arithmetic.h"
#include "platform/errors.h"
#include "platform/random.h"

namespace tavro {

RecognitionSession::RecognitionSession(QString programDirectory, MessageBox& messages,
                                       PictureBoxModel& pic0, PictureBoxModel& pic1)
    : loader_(std::move(programDirectory), messages), pic0_(pic0), pic1_(pic1) {}

RecognitionSession::~RecognitionSession() = default;

ClassFaceRecogniser& RecognitionSession::faceRecogniser() {
  if (!faceRecogniser_) faceRecogniser_ = std::make_unique<ClassFaceRecogniser>();
  return *faceRecogniser_;
}

int RecognitionSession::faceCount() const { return faceRecogniser_ ? faceRecogniser_->NoOfFaces() : 0; }

bool RecognitionSession::hasRoomForARun() const {
  return faceCount() + kFacesPerRun <= ClassFaceRecogniser::kCapacity;
}

int RecognitionSession::trainDatabase() {
  ClassFaceRecogniser& recogniser = faceRecogniser();
  // A run is all or nothing as far as room goes: half a run would leave some
  // numbers stored once more than the others.
  if (!hasRoomForARun())
    throw Error(ErrorKind::SubscriptOutOfRange,
                "The face database is full: it holds " + std::to_string(faceCount()) +
                    " faces, a training run adds " + std::to_string(kFacesPerRun) + " and at most " +
                    std::to_string(ClassFaceRecogniser::kCapacity) + " fit");
  recogniser.init(kGridSide, kGridSide);
  int loaded = 0;
  for (std::int16_t letter = 0; letter < kLetters; ++letter) {
    for (std::int16_t number = 0; number < kFaceNumbers; ++number) {
      if (loader_.loadFace(number, letter, pic0_)) ++loaded;
      recogniser.addFace(pic0_, faceName(number));
    }
  }
  return loaded;
}

Identification RecognitionSession::identify(const QString& probePath) {
  Identification result;
  result.probeShown = loader_.loadFace2(pic0_, probePath);
  result.faceName = faceRecogniser().Identify(pic0_);
  result.faceNumber = faceNumberFromName(result.faceName);
  result.matchedFaceFile = faceFilePath(loader_.programDirectory(), result.faceNumber, 0);
  result.matchedFaceShown = loader_.loadFace(result.faceNumber, 0, pic1_);
  return result;
}

QString RecognitionSession::testProbePath() const {
  QString path;
  for (int draw = 0; draw < 5; ++draw) {
    const std::int16_t number = checked::roundToInt16(nextRandom());
    path = faceFilePath(loader_.programDirectory(), number, 0);
  }
  return path;
}

void RecognitionSession::loadIntoWorkSurface(const QString& path) { loader_.loadFace2(pic0_, path); }

}  // namespace tavro

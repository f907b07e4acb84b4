#include "app/recognition_session.h"

#include <array>

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

TrainingRun RecognitionSession::trainDatabase() {
  ClassFaceRecogniser& recogniser = faceRecogniser();
  lastRun_ = TrainingRun{loader_.programDirectory(), faceCount(), {}};
  // A run is all or nothing as far as room goes: half a run would leave some
  // numbers stored once more than the others.
  if (!hasRoomForARun())
    throw Error(ErrorKind::SubscriptOutOfRange,
                "The face database is full: it holds " + std::to_string(faceCount()) +
                    " faces, a training run adds " + std::to_string(kFacesPerRun) + " and at most " +
                    std::to_string(ClassFaceRecogniser::kCapacity) + " fit");
  recogniser.init(kGridSide, kGridSide);
  std::array<std::optional<FileStamp>, kFaceNumbers> aFiles;
  for (std::int16_t letter = 0; letter < kLetters; ++letter) {
    for (std::int16_t number = 0; number < kFaceNumbers; ++number) {
      const QString path = faceFilePath(loader_.programDirectory(), number, letter);
      // Taken before the read: a file changed while it is read counts as changed.
      const std::optional<FileStamp> stamp = fileStamp(path);
      const PictureLoad load = loader_.read(pic0_, path);
      if (letter == 0 && load.loaded()) aFiles[static_cast<std::size_t>(number)] = stamp;
      lastRun_.files.append({path, load});
      recogniser.addFace(pic0_, faceName(number));
      trainedAFiles_.push_back(aFiles[static_cast<std::size_t>(number)]);
      lastRun_.storedFaces = faceCount();
    }
  }
  return lastRun_;
}

Identification RecognitionSession::identify(const QString& probePath) {
  Identification result;
  result.probePath = probePath;
  result.probe = loader_.loadFace2(pic0_, probePath);
  result.faceName = faceRecogniser().Identify(pic0_);
  result.certainty = lastMatchCertainty(faceRecogniser());
  result.faceNumber = faceNumberFromName(result.faceName);
  result.matchedFaceFile = faceFilePath(loader_.programDirectory(), result.faceNumber, 0);
  const std::optional<FileStamp> now = fileStamp(result.matchedFaceFile);
  result.matchedFace = loader_.loadFace(result.faceNumber, 0, pic1_);
  if (!result.matchedFace.loaded()) return result;
  pic1_.setDescription(pic1_.description() + QStringLiteral(", face %1").arg(result.faceNumber));
  const std::optional<int> slot = result.certainty.answerSlot;
  if (slot && *slot >= 0 && static_cast<std::size_t>(*slot) < trainedAFiles_.size()) {
    const std::optional<FileStamp>& then = trainedAFiles_[static_cast<std::size_t>(*slot)];
    if (!then) result.trainedPicture = Identification::TrainedPicture::Unread;
    else if (then != now) result.trainedPicture = Identification::TrainedPicture::Changed;
  }
  return result;
}

bool isUncertainAnswer(const MatchCertainty& certainty, PictureLoad::Face probeFace, double minMargin) {
  return certainty.isUncertain(minMargin) || probeFace == PictureLoad::Face::NotFound;
}

QString RecognitionSession::testProbePath() const {
  QString path;
  for (int draw = 0; draw < 5; ++draw) {
    const std::int16_t number = checked::roundToInt16(nextRandom());
    path = faceFilePath(loader_.programDirectory(), number, 0);
  }
  return path;
}

PictureLoad RecognitionSession::loadIntoWorkSurface(const QString& path) { return loader_.loadFace2(pic0_, path); }

}  // namespace tavro

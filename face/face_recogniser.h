#pragma once
// The in-memory face database: one sampled grid per stored face, the average face over all of them,
// and each face's positive difference from it. A probe is sampled and reduced the same way and matched
// to the stored face with the smallest sum of absolute differences; the earliest wins ties.
//
// The stored faces are the only state: the average and the differences are derived from them over the
// current imageWidth x imageHeight and NoOfFaces by the first Identify after any change, all or nothing,
// so a renewal that fails leaves nothing half-written and the next Identify tries again. addFace throws
// what that renewal would throw. Identity is a copy of the matched face, never reaching the database.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/image_processing.h"
#include "platform/picture_surface.h"

namespace tavro {

class ClassFaceRecogniser {
 public:
  static constexpr int kCapacity = 1001;  // slots 0..1000
  // A score at or above this never wins.
  static constexpr std::int32_t kNoMatchScore = 99999999;

  ClassFaceRecogniser() = default;
  ClassFaceRecogniser(const ClassFaceRecogniser&) = delete;
  ClassFaceRecogniser& operator=(const ClassFaceRecogniser&) = delete;

  std::int16_t imageWidth() const { return imageWidth_; }
  void setImageWidth(std::int16_t v) { imageWidth_ = v; renewed_ = false; }
  std::int16_t imageHeight() const { return imageHeight_; }
  void setImageHeight(std::int16_t v) { imageHeight_ = v; renewed_ = false; }
  std::int16_t NoOfFaces() const { return NoOfFaces_; }
  void setNoOfFaces(std::int16_t v) { NoOfFaces_ = v; renewed_ = false; }
  // The same object on every call until the next match or setIdentity.
  std::shared_ptr<classImageProcessing> Identity() const;
  void setIdentity(std::shared_ptr<classImageProcessing> grid);

  void init(std::int16_t image_Width, std::int16_t image_Height);
  void addFace(PictureSurface& facePicture, const std::string& faceName);
  std::string Identify(PictureSurface& facePicture);

  // One score per stored face, in slot order, from the last Identify; empty before one or after a failed one.
  const std::vector<std::int32_t>& lastScores() const noexcept { return lastScores_; }
  // The name stored in a slot below NoOfFaces; SubscriptOutOfRange otherwise.
  const std::string& faceNameAt(int slot) const;
  // A cell of the average face, and |difference of slot - probe's difference|
  // at a cell: the term it added to the slot's score. SubscriptOutOfRange
  // outside the faces and cells last compared.
  float averageFaceAt(std::int16_t x, std::int16_t y) const { return average_[comparedCell(x, y)]; }
  std::uint8_t scoreTermAt(int slot, std::int16_t x, std::int16_t y) const;

 private:
  // A stored face: its grid's size, whether sizing it succeeded, then its cells by column in faceCells_.
  struct Face {
    bool stored = false;
    bool sized = false;
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::size_t cellCount() const { return sized ? std::size_t(width) * std::size_t(height) : 0; }
  };

  std::size_t cellsBefore(int slot) const;
  void storeFace(int slot, const Face& face);
  bool fits(int upperX, int upperY) const;
  void checkRenewal() const;
  void renew();
  void takeProbeDifference();
  std::string bestMatch();
  std::shared_ptr<classImageProcessing> copyOfFace(int slot) const;
  std::size_t comparedCell(std::int16_t x, std::int16_t y) const;

  std::int16_t imageWidth_ = 0;
  std::int16_t imageHeight_ = 0;
  std::int16_t NoOfFaces_ = 0;
  int averageUpperX_ = -1;  // the average face's bounds, set by init
  int averageUpperY_ = -1;
  std::vector<Face> faces_ = std::vector<Face>(kCapacity);  // slots 0..1000
  std::vector<std::string> faceNames_ = std::vector<std::string>(kCapacity);
  std::vector<std::uint8_t> faceCells_;  // of every stored face, in slot order
  std::unique_ptr<classImageProcessing> probe_;  // samples faces and probes

  // Derived by the last renewal, over width_ x height_ cells, column by
  // column: the average, and each compared face's difference and the
  // probe's, in rows of stride_ bytes padded with 0.
  bool renewed_ = false;
  std::size_t width_ = 0;
  std::size_t height_ = 0;
  std::size_t comparedFaces_ = 0;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> average_;
  std::vector<std::uint8_t> differences_;
  std::vector<std::uint8_t> probeDifference_;
  std::vector<std::int32_t> lastScores_;

  // The match: a slot, whose face is copied when Identity is first asked for.
  mutable int matchedSlot_ = -1;
  mutable std::shared_ptr<classImageProcessing> identity_;
};

// How sure the last answer is: the raw score hardly tells a stored person
// from a stranger; the margin to the nearest face of another name (the
// runner-up) tells right answers from wrong ones far better. Below this
// margin the window calls an answer uncertain (tavro-faces: --min-margin).
inline constexpr double kDefaultMinMargin = 0.25;

struct RunnerUp {
  int slot = 0;
  std::string faceName;
  std::int32_t score = 0;
};

struct MatchCertainty {
  std::optional<int> answerSlot;  // none when no stored face matched
  std::int32_t score = 0;         // the answer's score
  std::optional<RunnerUp> runnerUp;

  // (runner-up score - score) / max(score, 1); none without a runner-up.
  std::optional<double> margin() const;
  // Below minMargin, or no runner-up at all.
  bool isUncertain(double minMargin) const;
};

// The certainty of the last Identify, read from its scores: the answer is the
// earliest face of the lowest score below kNoMatchScore, as Identify chose it;
// the runner-up the earliest face of the lowest score among the faces whose
// name differs from the answer's.
MatchCertainty lastMatchCertainty(const ClassFaceRecogniser& recogniser);

}  // namespace tavro

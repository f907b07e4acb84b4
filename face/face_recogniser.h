#pragma once
// The in-memory face database: one sampled grid per stored face, the average
// face over all of them, and each face's positive difference from that
// average. A probe is sampled and reduced the same way and matched to the
// stored face with the smallest sum of absolute differences; the earliest
// stored face wins ties.

#include <cstdint>
#include <memory>
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

  ClassFaceRecogniser();
  ~ClassFaceRecogniser();
  ClassFaceRecogniser(const ClassFaceRecogniser&) = delete;
  ClassFaceRecogniser& operator=(const ClassFaceRecogniser&) = delete;

  std::int16_t imageWidth() const;   void setImageWidth(std::int16_t);
  std::int16_t imageHeight() const;  void setImageHeight(std::int16_t);
  std::int16_t NoOfFaces() const;    void setNoOfFaces(std::int16_t);
  std::shared_ptr<classImageProcessing> Identity() const;
  void setIdentity(std::shared_ptr<classImageProcessing> grid);

  void init(std::int16_t image_Width, std::int16_t image_Height);
  void addFace(PictureSurface& facePicture, const std::string& faceName);
  std::string Identify(PictureSurface& facePicture);

  // What the last Identify saw, for tools that tell how sure an answer is.
  // None of these changes a result of the operations above.
  //
  // One score per stored face in slot order, each the very sum Identify
  // compared; empty before the first Identify and after one that failed.
  const std::vector<std::int32_t>& lastScores() const noexcept;
  // The name stored in a slot below NoOfFaces; SubscriptOutOfRange otherwise.
  const std::string& faceNameAt(int slot) const;
  // Cells of the average face, of the last probe's difference grid and of a
  // stored face's difference grid, as Identify compared them.
  float averageFaceAt(std::int16_t x, std::int16_t y) const;
  std::uint8_t probeDifferenceAt(std::int16_t x, std::int16_t y) const;
  std::uint8_t differenceAt(int slot, std::int16_t x, std::int16_t y);

 private:
  // The private record (faces, differences, names, average, probe grids)
  // and the caches that keep storing and identifying cheap.
  struct Database;

  std::int16_t imageWidth_ = 0;
  std::int16_t imageHeight_ = 0;
  std::int16_t NoOfFaces_ = 0;
  std::shared_ptr<classImageProcessing> Identity_;
  std::unique_ptr<Database> db_;
};

}  // namespace tavro

// The face database: storing faces, renewing the average and the differences from it, and identifying
// a probe, in straight passes over contiguous cells that the compiler vectorises; how sure an answer is.

#include "face/face_recogniser.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <utility>

#include "imaging/checked_arithmetic.h"

namespace tavro {

namespace {

using Size = std::size_t;

// Sum of |face[i] - probe[i]| over n bytes for each of `count` faces n bytes
// apart. Four faces at a time, so that each probe byte read serves four; in
// 32-bit partial sums, which vectorise into byte SAD instructions (2^24 bytes
// of 255 still fit one), of 32 bytes where the processor has AVX2 (Identify
// against 1001 faces 14 us, against 18 us with SSE2 alone).
__attribute__((target_clones("avx2", "default")))
std::vector<std::uint64_t> sumsOfAbsoluteDifferences(const std::uint8_t* faces, Size count,
                                                     const std::uint8_t* probe, Size n) {
  constexpr Size kChunk = Size{1} << 24;
  std::vector<std::uint64_t> totals(count + 3, 0);
  for (Size f = 0; f < count; f += 4) {
    const std::uint8_t* a[4];
    for (Size k = 0; k < 4; ++k) a[k] = faces + std::min(f + k, count - 1) * n;  // past the last face, the last
    for (Size start = 0; start < n; start += kChunk) {
      std::uint32_t partial[4] = {};
      for (Size i = start; i < std::min(n, start + kChunk); ++i)
        for (Size k = 0; k < 4; ++k) partial[k] += static_cast<std::uint32_t>(std::abs(a[k][i] - probe[i]));
      for (Size k = 0; k < 4; ++k) totals[f + k] += partial[k];
    }
  }
  totals.resize(count);
  return totals;
}

// max(0, value - average), the part brighter than the (whole) average: rounding changes nothing.
std::uint8_t brighterPart(std::uint8_t value, std::uint8_t average) {
  return static_cast<std::uint8_t>(value > average ? value - average : 0);
}

}  // namespace

std::shared_ptr<classImageProcessing> ClassFaceRecogniser::Identity() const {
  if (matchedSlot_ >= 0) identity_ = copyOfFace(std::exchange(matchedSlot_, -1));
  return identity_;
}

void ClassFaceRecogniser::setIdentity(std::shared_ptr<classImageProcessing> grid) {
  matchedSlot_ = -1;
  identity_ = std::move(grid);
}

void ClassFaceRecogniser::init(std::int16_t image_Width, std::int16_t image_Height) {
  imageWidth_ = image_Width;
  imageHeight_ = image_Height;
  renewed_ = false;
  Grid2D<float>::checkBounds(imageWidth_, imageHeight_);  // as creating the average would
  averageUpperX_ = imageWidth_;
  averageUpperY_ = imageHeight_;
}

void ClassFaceRecogniser::addFace(PictureSurface& facePicture, const std::string& faceName) {
  const std::int16_t n = NoOfFaces_;
  if (n < 0 || n >= kCapacity) throw Error(ErrorKind::SubscriptOutOfRange);
  if (n == matchedSlot_) Identity();  // the match keeps the face it matched
  renewed_ = false;
  Face face{true, false, imageWidth_, imageHeight_};
  // Sampled in a new probe grid, of the size the face's own grid would have.
  probe_ = std::make_unique<classImageProcessing>();
  try {
    probe_->init(imageWidth_, imageHeight_);
    face.sized = true;
    probe_->update(facePicture);
  } catch (...) {
    storeFace(n, face);  // as far as it came
    if (!face.sized) probe_ = std::make_unique<classImageProcessing>();  // never sized
    throw;
  }
  storeFace(n, face);
  faceNames_[Size(n)] = faceName;
  NoOfFaces_ = static_cast<std::int16_t>(n + 1);
  checkRenewal();
}

std::string ClassFaceRecogniser::Identify(PictureSurface& facePicture) {
  lastScores_.clear();  // a failed Identify leaves no scores to misread
  if (!probe_) throw Error(ErrorKind::ObjectNotSet);
  probe_->update(facePicture);
  if (!renewed_) renew();
  takeProbeDifference();
  return bestMatch();
}

Size ClassFaceRecogniser::cellsBefore(int slot) const {
  Size cells = 0;
  for (int f = 0; f < slot; ++f) cells += faces_[Size(f)].cellCount();
  return cells;
}

// The slot's cells become the probe's (when sized), column by column.
void ClassFaceRecogniser::storeFace(int slot, const Face& face) {
  const Size offset = cellsBefore(slot);
  const auto start = faceCells_.begin() + static_cast<std::ptrdiff_t>(offset);
  const Size old = std::exchange(faces_[Size(slot)], face).cellCount();
  faceCells_.insert(faceCells_.erase(start, start + static_cast<std::ptrdiff_t>(old)), face.cellCount(), 0);
  if (!face.sized) return;
  const std::uint8_t* grid = probe_->imageGridView().data();
  std::uint8_t* to = faceCells_.data() + offset;
  for (Size x = 0; x < Size(face.width); ++x)
    std::copy_n(grid + x * (Size(face.height) + 1), face.height, to + x * Size(face.height));
}

bool ClassFaceRecogniser::fits(int upperX, int upperY) const {
  return imageWidth_ - 1 <= upperX && imageHeight_ - 1 <= upperY;
}

// Throws what renewing would meet first, reading faces 0..NoOfFaces-1 cell by
// cell over imageWidth x imageHeight: a loop bound beyond 16 bits, a slot
// past the table, an empty slot, or a cell outside a face or the average.
void ClassFaceRecogniser::checkRenewal() const {
  const int lastFace = checked::lastIndex(NoOfFaces_);
  if (checked::lastIndex(imageWidth_) < 0 || checked::lastIndex(imageHeight_) < 0) return;
  for (int f = 0; f <= lastFace; ++f) {
    if (f >= kCapacity) throw Error(ErrorKind::SubscriptOutOfRange);
    const Face& face = faces_[Size(f)];
    if (!face.stored) throw Error(ErrorKind::ObjectNotSet);
    if (!face.sized || !fits(face.width, face.height) || !fits(averageUpperX_, averageUpperY_))
      throw Error(ErrorKind::SubscriptOutOfRange);
  }
  if (!fits(averageUpperX_, averageUpperY_)) throw Error(ErrorKind::SubscriptOutOfRange);
}

void ClassFaceRecogniser::renew() {
  checkRenewal();
  const bool cells = imageWidth_ > 0 && imageHeight_ > 0;
  width_ = cells ? Size(imageWidth_) : 0;
  height_ = cells ? Size(imageHeight_) : 0;
  comparedFaces_ = cells ? Size(std::max<int>(NoOfFaces_, 0)) : 0;
  const Size area = width_ * height_;
  stride_ = (area + 15) / 16 * 16;  // whole, aligned 16-byte blocks for the SAD
  average_.assign(area, 0);  // with no faces the average is 0
  differences_.assign(comparedFaces_ * stride_, 0);
  probeDifference_.clear();
  std::uint8_t* const differences = differences_.data();  // a byte store could change any member

  // Each face over the compared area; one a column or row short reads its spare cells, 0.
  const std::uint8_t* from = faceCells_.data();
  for (Size f = 0; f < comparedFaces_; from += faces_[f++].cellCount()) {
    const Size faceHeight = Size(faces_[f].height);
    for (Size x = 0; x < std::min(width_, Size(faces_[f].width)); ++x)
      std::copy_n(from + x * faceHeight, std::min(height_, faceHeight), differences + f * stride_ + x * height_);
  }

  // Block by block, so that the per-cell sums stay in the first cache level.
  constexpr Size kBlock = 4096;
  std::array<std::uint32_t, kBlock> sums;  // at most 1001 x 255
  for (Size start = 0; comparedFaces_ > 0 && start < area; start += kBlock) {
    const Size length = std::min(kBlock, area - start);
    std::fill_n(sums.begin(), length, 0u);
    for (Size f = 0; f < comparedFaces_; ++f) {
      const std::uint8_t* cell = differences + f * stride_ + start;
      for (Size i = 0; i < length; ++i) sums[i] += cell[i];
    }
    // The mean in single precision, as the float sums have it; not negative, so truncating floors it.
    std::uint8_t* const average = average_.data() + start;
    const float faces = static_cast<float>(comparedFaces_);
    for (Size i = 0; i < length; ++i) average[i] = static_cast<std::uint8_t>(static_cast<float>(sums[i]) / faces);
    for (Size f = 0; f < comparedFaces_; ++f) {
      std::uint8_t* cell = differences + f * stride_ + start;
      for (Size i = 0; i < length; ++i) cell[i] = brighterPart(cell[i], average[i]);
    }
  }
  renewed_ = true;
}

void ClassFaceRecogniser::takeProbeDifference() {
  const Grid2D<std::uint8_t>& probe = probe_->imageGridView();
  if (width_ > 0 && (int(width_) - 1 > probe.upperX() || int(height_) - 1 > probe.upperY()))
    throw Error(ErrorKind::SubscriptOutOfRange);
  probeDifference_.assign(stride_, 0);
  std::uint8_t* to = probeDifference_.data();
  const std::uint8_t* average = average_.data();
  for (Size x = 0; x < width_; ++x) {
    const std::uint8_t* column = probe.data() + x * Size(probe.upperY() + 1);
    for (Size y = 0; y < height_; ++y, ++to, ++average) *to = brighterPart(column[y], *average);
  }
}

std::string ClassFaceRecogniser::bestMatch() {
  const int lastFace = checked::lastIndex(NoOfFaces_);
  const Size count = Size(std::max(lastFace + 1, 0));
  const std::vector<std::uint64_t> totals = stride_ == 0 ? std::vector<std::uint64_t>(count, 0)
      : sumsOfAbsoluteDifferences(differences_.data(), count, probeDifference_.data(), stride_);
  std::vector<std::int32_t> scores;
  scores.reserve(count);
  std::int32_t bestScore = kNoMatchScore;
  std::string name;
  for (int f = 0; f <= lastFace; ++f) {
    // Every term is at least 0: a running sum overflows exactly when the total does.
    const std::uint64_t total = totals[Size(f)];
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
      throw Error(ErrorKind::Overflow);
    scores.push_back(static_cast<std::int32_t>(total));
    if (scores.back() < bestScore) {
      bestScore = scores.back();
      name = faceNames_[Size(f)];
      matchedSlot_ = f;
      identity_.reset();
    }
  }
  lastScores_ = std::move(scores);
  return name;
}

std::shared_ptr<classImageProcessing> ClassFaceRecogniser::copyOfFace(int slot) const {
  const Face& face = faces_[Size(slot)];
  if (!face.stored) return nullptr;
  auto grid = std::make_shared<classImageProcessing>();
  try {
    grid->init(face.width, face.height);
  } catch (const Error&) {
    return grid;  // sizing the stored grid failed alike
  }
  const std::uint8_t* cell = faceCells_.data() + cellsBefore(slot);
  for (std::int16_t x = 0; x < face.width; ++x)
    for (std::int16_t y = 0; y < face.height; ++y) grid->setPoint(x, y, *cell++);
  return grid;
}

const std::string& ClassFaceRecogniser::faceNameAt(int slot) const {
  if (slot < 0 || slot >= NoOfFaces_ || slot >= kCapacity) throw Error(ErrorKind::SubscriptOutOfRange);
  return faceNames_[Size(slot)];
}

Size ClassFaceRecogniser::comparedCell(std::int16_t x, std::int16_t y) const {
  if (x < 0 || y < 0 || Size(x) >= width_ || Size(y) >= height_) throw Error(ErrorKind::SubscriptOutOfRange);
  return Size(x) * height_ + Size(y);
}

std::uint8_t ClassFaceRecogniser::scoreTermAt(int slot, std::int16_t x, std::int16_t y) const {
  const Size cell = comparedCell(x, y);
  if (slot < 0 || Size(slot) >= comparedFaces_ || probeDifference_.empty()) throw Error(ErrorKind::SubscriptOutOfRange);
  return static_cast<std::uint8_t>(std::abs(differences_[Size(slot) * stride_ + cell] - probeDifference_[cell]));
}

std::optional<double> MatchCertainty::margin() const {
  if (!answerSlot || !runnerUp) return std::nullopt;
  // 64-bit: both scores fit 32 bits, their difference may not.
  const double gap = static_cast<double>(std::int64_t{runnerUp->score} - score);
  return gap / static_cast<double>(std::max<std::int32_t>(score, 1));
}

bool MatchCertainty::isUncertain(double minMargin) const {
  const std::optional<double> m = margin();
  return !m || *m < minMargin;
}

MatchCertainty lastMatchCertainty(const ClassFaceRecogniser& recogniser) {
  const std::vector<std::int32_t>& scores = recogniser.lastScores();
  MatchCertainty certainty;
  const auto lowest = std::min_element(scores.begin(), scores.end());
  if (lowest == scores.end() || *lowest >= ClassFaceRecogniser::kNoMatchScore) return certainty;
  const int answer = static_cast<int>(lowest - scores.begin());
  certainty.answerSlot = answer;
  certainty.score = *lowest;

  const std::string& answerName = recogniser.faceNameAt(answer);
  for (int slot = 0; slot < static_cast<int>(scores.size()); ++slot) {
    const std::int32_t score = scores[static_cast<std::size_t>(slot)];
    // Names are compared only for a face that would beat the runner-up so far.
    if (certainty.runnerUp && score >= certainty.runnerUp->score) continue;
    const std::string& name = recogniser.faceNameAt(slot);
    if (name != answerName) certainty.runnerUp = RunnerUp{slot, name, score};
  }
  return certainty;
}

}  // namespace tavro

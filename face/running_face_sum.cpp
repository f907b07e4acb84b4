#include "face/running_face_sum.h"

#include <cmath>
#include <cstddef>

namespace tavro {

namespace {

std::size_t storageSize(std::int16_t width, std::int16_t height) {
  return static_cast<std::size_t>(width + 1) * static_cast<std::size_t>(height + 1);
}

}  // namespace

void RunningFaceSum::reset(std::int16_t width, std::int16_t height) {
  if (width < 1 || height < 1) throw Error(ErrorKind::SubscriptOutOfRange);
  width_ = width;
  height_ = height;
  count_ = 0;
  sums_.assign(storageSize(width, height), 0);
  versions_.clear();
  valid_ = true;
}

bool RunningFaceSum::extendsTo(std::int16_t width, std::int16_t height, int slot) const noexcept {
  return valid_ && width == width_ && height == height_ && slot == count_;
}

std::uint64_t RunningFaceSum::versionOf(int slot) const {
  if (!valid_ || slot < 0 || slot >= count_) throw Error(ErrorKind::SubscriptOutOfRange);
  return versions_[static_cast<std::size_t>(slot)];
}

void RunningFaceSum::add(const classImageProcessing& face) {
  const Grid2D<std::uint8_t>& cells = face.imageGridView();
  if (!valid_ || cells.upperX() != width_ || cells.upperY() != height_)
    throw Error(ErrorKind::SubscriptOutOfRange);
  // At most 1001 faces of 255: far inside 32 bits.
  const std::uint8_t* values = cells.data();
  for (std::size_t i = 0; i < sums_.size(); ++i) sums_[i] += values[i];
  versions_.push_back(face.contentVersion());
  ++count_;
}

void RunningFaceSum::writeAverage(Grid2D<float>& average) const {
  if (!valid_ || count_ == 0 || average.upperX() != width_ || average.upperY() != height_)
    throw Error(ErrorKind::SubscriptOutOfRange);
  const float faces = static_cast<float>(count_);
  const std::size_t column = static_cast<std::size_t>(height_) + 1;
  float* cells = average.data();
  for (std::size_t x = 0; x < static_cast<std::size_t>(width_); ++x)
    for (std::size_t y = 0; y < static_cast<std::size_t>(height_); ++y) {
      const std::size_t i = x * column + y;
      cells[i] = std::floor(static_cast<float>(sums_[i]) / faces);
    }
}

}  // namespace tavro

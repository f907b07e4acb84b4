#include "face/pending_differences.h"

#include <cstddef>
#include <utility>

#include "imaging/checked_arithmetic.h"

namespace tavro {

void PendingDifferences::start(std::int16_t width, std::int16_t height,
                               const Grid2D<float>& average, int count) {
  if (width < 0 || height < 0 || count < 0) throw Error(ErrorKind::SubscriptOutOfRange);
  std::vector<std::uint8_t> averageBytes;
  averageBytes.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) averageBytes.push_back(checked::roundToByte(average.at(x, y)));
  width_ = width;
  height_ = height;
  average_ = std::move(averageBytes);
  owed_.assign(static_cast<std::size_t>(count), true);
  owedCount_ = count;
}

bool PendingDifferences::owes(int slot) const noexcept {
  return slot >= 0 && slot < count() && owed_[static_cast<std::size_t>(slot)];
}

void PendingDifferences::forget(int slot) noexcept {
  if (!owes(slot)) return;
  owed_[static_cast<std::size_t>(slot)] = false;
  --owedCount_;
}

void PendingDifferences::settle(int slot, const classImageProcessing& face,
                                classImageProcessing& difference) {
  if (!owes(slot)) return;
  const Grid2D<std::uint8_t>& faceCells = face.imageGridView();
  std::size_t i = 0;
  for (int x = 0; x < width_; ++x)
    for (int y = 0; y < height_; ++y, ++i) {
      const std::uint8_t v = faceCells.at(x, y);
      const std::uint8_t a = average_[i];
      difference.setPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                          static_cast<std::uint8_t>(v > a ? v - a : 0));
    }
  forget(slot);
}

}  // namespace tavro

#pragma once
// Difference grids owed by the last quick renewal: each owed slot is to hold
// max(0, face - average) over width x height, against the average of that
// renewal (kept here as bytes). They are written when first needed. Only the
// recogniser can reach an owed slot's face and difference grids, so writing
// later gives exactly the grids that writing at once would have given.

#include <cstdint>
#include <vector>

#include "imaging/bounded_arrays.h"
#include "imaging/image_processing.h"

namespace tavro {

class PendingDifferences {
 public:
  // A new renewal: slots 0..count-1 owe their difference against average,
  // whose cells below (width, height) hold whole values 0..255. Whatever was
  // owed before is forgotten.
  void start(std::int16_t width, std::int16_t height, const Grid2D<float>& average, int count);
  bool owes(int slot) const noexcept;
  bool empty() const noexcept { return owedCount_ == 0; }
  int count() const noexcept { return static_cast<int>(owed_.size()); }
  std::int16_t width() const noexcept { return width_; }
  std::int16_t height() const noexcept { return height_; }
  // The slot's difference grid was replaced: it owes nothing any more.
  void forget(int slot) noexcept;
  // Writes one owed difference grid cell by cell, as the renewal would have.
  void settle(int slot, const classImageProcessing& face, classImageProcessing& difference);

 private:
  std::int16_t width_ = 0;
  std::int16_t height_ = 0;
  std::vector<std::uint8_t> average_;  // width x height, column by column
  std::vector<bool> owed_;             // per slot 0..count-1
  int owedCount_ = 0;
};

}  // namespace tavro

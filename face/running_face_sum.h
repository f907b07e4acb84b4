#pragma once
// Per-cell running sums of the stored face grids, so that storing a face
// renews the average in one pass over that face alone. The sums hold for the
// faces of slots 0..count()-1, all of one grid size, as they were when added.

#include <cstdint>
#include <vector>

#include "imaging/bounded_arrays.h"
#include "imaging/image_processing.h"

namespace tavro {

class RunningFaceSum {
 public:
  void invalidate() noexcept { valid_ = false; }
  // Starts an empty sum for grids with bounds (width, height), both at least 1.
  void reset(std::int16_t width, std::int16_t height);
  // Whether the sum holds for grids of this size and slot is the next to add.
  bool extendsTo(std::int16_t width, std::int16_t height, int slot) const noexcept;
  int count() const noexcept { return valid_ ? count_ : 0; }
  // The face's content version when it was added.
  std::uint64_t versionOf(int slot) const;

  // Adds the face of the next slot; its grid has bounds (width, height).
  void add(const classImageProcessing& face);
  // averageFace(x, y) = floor(sum / count) for x < width, y < height, in
  // single precision; the average's bounds are (width, height).
  void writeAverage(Grid2D<float>& average) const;

 private:
  bool valid_ = false;
  std::int16_t width_ = 0;
  std::int16_t height_ = 0;
  int count_ = 0;
  std::vector<std::int32_t> sums_;       // grid storage layout, spare cells included
  std::vector<std::uint64_t> versions_;  // per added slot
};

}  // namespace tavro

#pragma once
// The cells that may start a trace during one raster search, in scan order
// (row by row, x inner): lets the search jump straight to the next start
// instead of stepping over every cell in between. Cells leave the set when a
// trace covers them; values and the threshold do not change during a search.

#include <cstdint>
#include <vector>

#include "imaging/bounded_arrays.h"

namespace tavro {

class TraceStartCells {
 public:
  // Cells of 0..width-1 x 0..height-1 with a value above threshold that no
  // trace covers yet. The grids must hold at least those cells.
  TraceStartCells(const Grid2D<std::uint8_t>& image, const Grid2D<bool>& traced, int width, int height,
                  int threshold);

  // Scan position of the first start at or after position, or end() if none.
  int next(int position) const;
  int end() const noexcept { return width_ * height_; }
  int position(int x, int y) const noexcept { return y * width_ + x; }
  int xOf(int position) const noexcept { return position % width_; }
  int yOf(int position) const noexcept { return position / width_; }

  void remove(int x, int y);

 private:
  int width_;
  int height_;
  std::vector<std::uint64_t> bits_;
};

}  // namespace tavro

#include "imaging/trace_start_cells.h"

#include <bit>

namespace tavro {

namespace {
constexpr int kBitsPerWord = 64;
}

TraceStartCells::TraceStartCells(const Grid2D<std::uint8_t>& image, const Grid2D<bool>& traced, int width,
                                 int height, int threshold)
    : width_(width), height_(height), bits_((static_cast<std::size_t>(width) * height + kBitsPerWord - 1) / kBitsPerWord) {
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (image.at(x, y) > threshold && !traced.at(x, y)) {
        const int p = position(x, y);
        bits_[static_cast<std::size_t>(p / kBitsPerWord)] |= std::uint64_t{1} << (p % kBitsPerWord);
      }
}

int TraceStartCells::next(int position) const {
  if (position < 0) position = 0;
  if (position >= end()) return end();
  std::size_t word = static_cast<std::size_t>(position / kBitsPerWord);
  std::uint64_t bits = bits_[word] & (~std::uint64_t{0} << (position % kBitsPerWord));
  while (bits == 0) {
    if (++word == bits_.size()) return end();
    bits = bits_[word];
  }
  return static_cast<int>(word) * kBitsPerWord + std::countr_zero(bits);
}

void TraceStartCells::remove(int x, int y) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const int p = position(x, y);
  bits_[static_cast<std::size_t>(p / kBitsPerWord)] &= ~(std::uint64_t{1} << (p % kBitsPerWord));
}

}  // namespace tavro

#pragma once
// Arrays whose every access is bounds-checked: an index outside throws
// Error(SubscriptOutOfRange). Grid2D has inclusive upper bounds, so a grid
// declared (0..width, 0..height) holds (width + 1) x (height + 1) cells.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/errors.h"

namespace tavro {

template <class T>
class Grid2D {
 public:
  // Cells a single grid may hold; a larger request is refused before any memory is taken.
  static constexpr std::int64_t kMaxCells = std::int64_t{1} << 26;

  Grid2D() = default;  // no cells: every access is out of range

  // Bounds (0..upperX, 0..upperY), every cell fill; negative ones are out of range, as declared.
  Grid2D(int upperX, int upperY, T fill = T{}) {
    const std::int64_t cells = checkBounds(upperX, upperY);
    upperX_ = upperX;
    upperY_ = upperY;
    cells_ = std::make_unique<T[]>(static_cast<std::size_t>(cells));
    std::fill_n(cells_.get(), cells, fill);
  }

  // The cells a grid of these bounds holds, or the error creating it throws.
  static std::int64_t checkBounds(int upperX, int upperY) {
    if (upperX < 0 || upperY < 0) throw Error(ErrorKind::SubscriptOutOfRange);
    const std::int64_t cells = (std::int64_t{upperX} + 1) * (std::int64_t{upperY} + 1);
    if (cells > kMaxCells) throw Error(ErrorKind::Platform, "Out of memory");
    return cells;
  }

  Grid2D(const Grid2D& other) : upperX_(other.upperX_), upperY_(other.upperY_) {
    if (!other.cells_) return;
    cells_ = std::make_unique<T[]>(other.size());
    std::copy_n(other.cells_.get(), other.size(), cells_.get());
  }
  Grid2D& operator=(const Grid2D& other) { return *this = Grid2D(other); }
  // A grid moved from has no cells and no bounds: every access is out of range, never a dangling read.
  Grid2D(Grid2D&& other) noexcept { *this = std::move(other); }
  Grid2D& operator=(Grid2D&& other) noexcept {
    if (this == &other) return *this;
    upperX_ = std::exchange(other.upperX_, -1);
    upperY_ = std::exchange(other.upperY_, -1);
    cells_ = std::move(other.cells_);
    return *this;
  }

  T& at(int x, int y) { return cells_[index(x, y)]; }
  const T& at(int x, int y) const { return cells_[index(x, y)]; }

  bool contains(int x, int y) const noexcept { return x >= 0 && y >= 0 && x <= upperX_ && y <= upperY_; }
  int upperX() const noexcept { return upperX_; }  // -1 when there are no cells
  int upperY() const noexcept { return upperY_; }
  bool empty() const noexcept { return !cells_; }

  // Raw storage, column by column (x outer, y inner): for fast whole-grid work.
  std::size_t size() const noexcept {
    return cells_ ? static_cast<std::size_t>(upperX_ + 1) * static_cast<std::size_t>(upperY_ + 1) : 0;
  }
  T* data() noexcept { return cells_.get(); }
  const T* data() const noexcept { return cells_.get(); }

 private:
  std::size_t index(int x, int y) const {
    if (!contains(x, y)) throw Error(ErrorKind::SubscriptOutOfRange);
    return static_cast<std::size_t>(x) * static_cast<std::size_t>(upperY_ + 1) +
           static_cast<std::size_t>(y);
  }

  int upperX_ = -1;
  int upperY_ = -1;
  std::unique_ptr<T[]> cells_;
};

// A fixed-size table indexed 0..N-1 with checked access.
template <class T, std::size_t N>
class FixedArray {
 public:
  T& at(std::int64_t i) { return cells_[index(i)]; }
  const T& at(std::int64_t i) const { return cells_[index(i)]; }
  const std::array<T, N>& values() const noexcept { return cells_; }

 private:
  static std::size_t index(std::int64_t i) {
    if (i < 0 || i >= static_cast<std::int64_t>(N)) throw Error(ErrorKind::SubscriptOutOfRange);
    return static_cast<std::size_t>(i);
  }
  std::array<T, N> cells_{};
};

}  // namespace tavro

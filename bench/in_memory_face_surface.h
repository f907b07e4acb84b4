#pragma once
// A face picture held in memory for benchmarks: the application's scale of
// 9.15 x 10.35 units, one grey level per whole unit point (0..9 x 0..10),
// pseudo-random but fixed for a given picture number.

#include <array>
#include <cstdint>

#include "platform/picture_surface.h"

namespace tavro::bench {

class InMemoryFaceSurface : public PictureSurface {
 public:
  static constexpr int kColumns = 11;  // unit points 0..10 (9.15 rounds up to 9, with margin)
  static constexpr int kRows = 12;     // unit points 0..11

  explicit InMemoryFaceSurface(std::uint32_t pictureNumber) {
    std::uint32_t state = pictureNumber * 2654435761u + 12345u;
    for (auto& level : levels_) {
      state = state * 1664525u + 1013904223u;
      level = static_cast<std::uint8_t>(state >> 24);
    }
  }

  float scaleWidth() const override { return 9.15f; }
  float scaleHeight() const override { return 10.35f; }
  std::int32_t point(float x, float y) const override {
    const int column = static_cast<int>(x);
    const int row = static_cast<int>(y);
    if (column < 0 || row < 0 || column >= kColumns || row >= kRows) return 0;
    const int level = levels_[static_cast<std::size_t>(column * kRows + row)];
    return rgb(level, level, level);
  }

 private:
  std::array<std::uint8_t, kColumns * kRows> levels_{};
};

}  // namespace tavro::bench

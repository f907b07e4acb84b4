#pragma once
// An in-memory picture surface for tests: a scale, a colour for every point,
// a record of the points read, and optionally a read that fails.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/picture_surface.h"

namespace tavro {

class FakePictureSurface : public PictureSurface {
 public:
  using ColourAt = std::function<std::int32_t(float x, float y)>;

  FakePictureSurface(float scaleWidth, float scaleHeight, ColourAt colourAt)
      : scaleWidth_(scaleWidth), scaleHeight_(scaleHeight), colourAt_(std::move(colourAt)) {}

  // A surface of one colour.
  static FakePictureSurface plain(float scaleWidth, float scaleHeight, std::int32_t colour) {
    return FakePictureSurface(scaleWidth, scaleHeight, [colour](float, float) { return colour; });
  }

  // A grey picture of width x height unit points; levels[x][y] is the level at (x, y).
  static FakePictureSurface grey(const std::vector<std::vector<int>>& levels) {
    const float width = static_cast<float>(levels.size());
    const float height = levels.empty() ? 0.0f : static_cast<float>(levels.front().size());
    return FakePictureSurface(width, height, [levels](float x, float y) {
      const int level = levels.at(static_cast<std::size_t>(x)).at(static_cast<std::size_t>(y));
      return rgb(level, level, level);
    });
  }

  float scaleWidth() const override { return scaleWidth_; }
  float scaleHeight() const override { return scaleHeight_; }

  std::int32_t point(float x, float y) const override {
    if (failAfterReads_ && readCount_ >= *failAfterReads_)
      throw Error(ErrorKind::Platform, "Picture read failed");
    ++readCount_;
    if (recording_) reads_.emplace_back(x, y);
    return colourAt_(x, y);
  }

  // Every read after the first `reads` ones throws Error(Platform).
  void failAfter(std::size_t reads) { failAfterReads_ = reads; }
  // The points read, in order (while recording), and how many were read.
  const std::vector<std::pair<float, float>>& reads() const { return reads_; }
  std::size_t readCount() const { return readCount_; }
  void stopRecording() { recording_ = false; }

 private:
  float scaleWidth_;
  float scaleHeight_;
  ColourAt colourAt_;
  std::optional<std::size_t> failAfterReads_;
  bool recording_ = true;
  mutable std::size_t readCount_ = 0;
  mutable std::vector<std::pair<float, float>> reads_;
};

}  // namespace tavro

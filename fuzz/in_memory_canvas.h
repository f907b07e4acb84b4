#pragma once
// A canvas of a few pixels held in memory, with a user scale of any size. It
// keeps the promises the picture boxes keep (colours 0..white, fill styles
// 0..7, draw widths of at least 1, finite coordinates; anything else throws
// tavro::Error) and it is also the picture surface that sampling reads. Reads
// and drawings are counted: past a budget per call they throw, so no input
// can make one call run long.

#include <array>
#include <cstdint>

#include "platform/picture_surface.h"

namespace tavro::fuzz {

class InMemoryCanvas : public Canvas {
 public:
  static constexpr int kSide = 16;  // pixels per side
  static constexpr std::int32_t kWhite = rgb(255, 255, 255);

  InMemoryCanvas();

  // Changes the user scale; any value, as a caller may set it.
  void setScale(float scaleWidth, float scaleHeight);
  // What a read outside the pixels returns: the platform's business, so any value.
  void setOutsideColour(std::int32_t colour) { outside_ = colour; }
  // Sets one pixel (taken modulo the side) to any packed value.
  void setPixel(unsigned x, unsigned y, std::int32_t colour);
  // A fresh budget of reads and drawings, before each call under test.
  void renewBudget() const;

  float scaleWidth() const override { return scaleWidth_; }
  float scaleHeight() const override { return scaleHeight_; }
  std::int32_t point(float x, float y) const override;

  void cls() override;
  void setFillStyle(std::int16_t style) override;
  void setFillColor(std::int32_t colour) override;
  void setDrawWidth(std::int16_t width) override;
  void line(float x1, float y1, float x2, float y2, std::int32_t colour) override;
  void lineTo(float x2, float y2, std::int32_t colour) override;
  void box(float x1, float y1, float x2, float y2, std::int32_t colour) override;

 private:
  struct Pixel {
    double x;
    double y;
  };
  Pixel toPixel(float x, float y) const;  // throws for coordinates no display could hold
  void plot(double x, double y, std::int32_t colour);
  void spendDrawing();

  std::array<std::int32_t, kSide * kSide> pixels_{};
  float scaleWidth_ = kSide;
  float scaleHeight_ = kSide;
  std::int32_t outside_ = -1;
  std::int16_t fillStyle_ = 1;
  std::int32_t fillColour_ = 0;
  std::int16_t drawWidth_ = 1;
  float currentX_ = 0.0f;
  float currentY_ = 0.0f;
  mutable long reads_ = 0;
  mutable long drawings_ = 0;
};

}  // namespace tavro::fuzz

#include "fuzz/in_memory_canvas.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/errors.h"

namespace tavro::fuzz {

namespace {

// Enough for every honest call on the small grids the target builds.
constexpr long kMaxReadsPerCall = 20000;
constexpr long kMaxDrawingsPerCall = 5000;
// Pixel coordinates beyond this are no drawing any display could hold.
constexpr double kMaxPixelCoordinate = 1.0e6;
constexpr std::int32_t kBackground = rgb(212, 208, 200);

void checkColour(std::int32_t colour) {
  if (colour < 0 || colour > InMemoryCanvas::kWhite)
    throw Error(ErrorKind::Platform, "Invalid colour: " + std::to_string(colour));
}

[[noreturn]] void budgetSpent(const char* what) {
  throw Error(ErrorKind::Platform, std::string("The canvas budget of ") + what + " is spent");
}

}  // namespace

InMemoryCanvas::InMemoryCanvas() { pixels_.fill(kBackground); }

void InMemoryCanvas::setScale(float scaleWidth, float scaleHeight) {
  scaleWidth_ = scaleWidth;
  scaleHeight_ = scaleHeight;
}

void InMemoryCanvas::setPixel(unsigned x, unsigned y, std::int32_t colour) {
  pixels_[(x % kSide) * kSide + (y % kSide)] = colour;
}

void InMemoryCanvas::renewBudget() const {
  reads_ = 0;
  drawings_ = 0;
}

std::int32_t InMemoryCanvas::point(float x, float y) const {
  if (++reads_ > kMaxReadsPerCall) budgetSpent("reads");
  const double px = std::floor(static_cast<double>(x) * kSide / scaleWidth_);
  const double py = std::floor(static_cast<double>(y) * kSide / scaleHeight_);
  if (!(px >= 0 && py >= 0 && px < kSide && py < kSide)) return outside_;
  return pixels_[static_cast<std::size_t>(static_cast<int>(px) * kSide + static_cast<int>(py))];
}

void InMemoryCanvas::cls() {
  spendDrawing();
  pixels_.fill(kBackground);
  currentX_ = currentY_ = 0.0f;
}

void InMemoryCanvas::setFillStyle(std::int16_t style) {
  if (style < 0 || style > 7) throw Error(ErrorKind::Platform, "Invalid fill style: " + std::to_string(style));
  fillStyle_ = style;
}

void InMemoryCanvas::setFillColor(std::int32_t colour) {
  checkColour(colour);
  fillColour_ = colour;
}

void InMemoryCanvas::setDrawWidth(std::int16_t width) {
  if (width < 1) throw Error(ErrorKind::Platform, "Invalid draw width: " + std::to_string(width));
  drawWidth_ = width;
}

void InMemoryCanvas::line(float x1, float y1, float x2, float y2, std::int32_t colour) {
  spendDrawing();
  checkColour(colour);
  const Pixel from = toPixel(x1, y1);
  const Pixel to = toPixel(x2, y2);
  // A few points along the line are enough for a canvas nobody looks at.
  constexpr int kSteps = 2 * kSide;
  for (int i = 0; i <= kSteps; ++i) {
    const double t = static_cast<double>(i) / kSteps;
    plot(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t, colour);
  }
  currentX_ = x2;
  currentY_ = y2;
}

void InMemoryCanvas::lineTo(float x2, float y2, std::int32_t colour) { line(currentX_, currentY_, x2, y2, colour); }

void InMemoryCanvas::box(float x1, float y1, float x2, float y2, std::int32_t colour) {
  spendDrawing();
  checkColour(colour);
  const Pixel a = toPixel(x1, y1);
  const Pixel b = toPixel(x2, y2);
  const int left = static_cast<int>(std::clamp(std::min(a.x, b.x), -1.0, double{kSide}));
  const int right = static_cast<int>(std::clamp(std::max(a.x, b.x), -1.0, double{kSide}));
  const int top = static_cast<int>(std::clamp(std::min(a.y, b.y), -1.0, double{kSide}));
  const int bottom = static_cast<int>(std::clamp(std::max(a.y, b.y), -1.0, double{kSide}));
  for (int x = left; x <= right; ++x)
    for (int y = top; y <= bottom; ++y) {
      const bool edge = x == left || x == right || y == top || y == bottom;
      if (edge) plot(x, y, colour);
      else if (fillStyle_ == 0) plot(x, y, fillColour_);
    }
  currentX_ = x2;
  currentY_ = y2;
}

InMemoryCanvas::Pixel InMemoryCanvas::toPixel(float x, float y) const {
  const double px = std::floor(static_cast<double>(x) * kSide / scaleWidth_);
  const double py = std::floor(static_cast<double>(y) * kSide / scaleHeight_);
  if (!(std::fabs(px) <= kMaxPixelCoordinate && std::fabs(py) <= kMaxPixelCoordinate))
    throw Error(ErrorKind::Overflow);
  return {px, py};
}

void InMemoryCanvas::plot(double x, double y, std::int32_t colour) {
  if (x >= 0 && y >= 0 && x < kSide && y < kSide)
    pixels_[static_cast<std::size_t>(static_cast<int>(x) * kSide + static_cast<int>(y))] = colour;
}

void InMemoryCanvas::spendDrawing() {
  if (++drawings_ > kMaxDrawingsPerCall) budgetSpent("drawings");
}

}  // namespace tavro::fuzz

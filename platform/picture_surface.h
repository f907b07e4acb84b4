#pragma once
// What sampling reads (PictureSurface) and drawing writes (Canvas); failures throw tavro::Error.

#include <cstdint>

namespace tavro {

class PictureSurface {
 public:
  virtual ~PictureSurface() = default;
  virtual float scaleWidth() const = 0;   // drawing area in the surface's own units
  virtual float scaleHeight() const = 0;
  virtual std::int32_t point(float x, float y) const = 0;  // packed colour r + 256g + 65536b
};

class Canvas : public PictureSurface {
 public:
  virtual void cls() = 0;                                 // clear to background
  virtual void setFillStyle(std::int16_t style) = 0;      // 0 = solid
  virtual void setFillColor(std::int32_t colour) = 0;
  virtual void setDrawWidth(std::int16_t width) = 0;
  virtual void line(float x1, float y1, float x2, float y2, std::int32_t colour) = 0;
  virtual void lineTo(float x2, float y2, std::int32_t colour) = 0;  // from the current position
  virtual void box(float x1, float y1, float x2, float y2, std::int32_t colour) = 0;
};

// Packs a colour as red + 256 x green + 65536 x blue.
constexpr std::int32_t rgb(int red, int green, int blue) { return red + 256 * green + 65536 * blue; }

}  // namespace tavro

#pragma once
// The canvas of the traces view: the edge traces over a faded copy of the
// picture, so that a person sees which of the picture's edges were traced.
// It takes the drawing of the toolkit's showEdgeTraces and shows it so:
// each box (a traced cell) as a translucent yellow wash that lets the
// picture through, each line (a traced segment) in strong red, two pixels
// wide, and each line from the current position (a connector from one
// segment to the next in chain order) thin, faint and blue. Colours asked
// for are not used: the toolkit's light grey and near-black reds would
// vanish in the picture.

#include <QImage>
#include <QPointF>

#include "platform/picture_surface.h"

namespace tavro::edges_tool {

class TraceOverlayCanvas : public Canvas {
 public:
  // A grey picture (Grayscale8, any size; it is stretched over the canvas,
  // as the grid lies over the picture) on a canvas of the given pixel size.
  TraceOverlayCanvas(const QImage& grey, QSize size);

  float scaleWidth() const override;
  float scaleHeight() const override;
  std::int32_t point(float x, float y) const override;

  void cls() override;  // back to the faded picture
  void setFillStyle(std::int16_t style) override;
  void setFillColor(std::int32_t colour) override;
  void setDrawWidth(std::int16_t width) override;
  void line(float x1, float y1, float x2, float y2, std::int32_t colour) override;
  void lineTo(float x2, float y2, std::int32_t colour) override;
  void box(float x1, float y1, float x2, float y2, std::int32_t colour) override;

  const QImage& image() const noexcept { return image_; }

 private:
  void draw(QPointF from, QPointF to, bool segment);

  QImage background_;
  QImage image_;
  QPointF current_{0.0, 0.0};
};

// The grey picture faded toward white: level v becomes 128 + v / 2.
QImage fadedPicture(const QImage& grey, QSize size);

}  // namespace tavro::edges_tool

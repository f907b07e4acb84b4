// Drawing a grid object onto a canvas, each map stretched over the whole drawing area: the grid, the
// cells edge tracing covered, the segment chain, the edge class map.

#include <algorithm>

#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"

namespace tavro {

namespace {

constexpr std::int16_t kSolidFill = 0;
constexpr std::int32_t kTracedCellColour = rgb(230, 230, 230);
constexpr std::int32_t kGlyphColour = rgb(0, 0, 0);

// Where column (or row) `index` of `cells` starts on a canvas side `extent` long: the quotient in
// double precision, the product stored as a 32-bit float.
float mapToCanvas(std::int32_t index, std::int16_t cells, float extent) {
  if (cells == 0) throw Error(ErrorKind::DivisionByZero);
  return checked::toSingle(static_cast<double>(index) / cells * static_cast<double>(extent));
}

struct CanvasRect {
  float x0, y0, x1, y1;
};

// The rectangle of cell (x, y) of a columns x rows map; the scale read afresh for each coordinate.
CanvasRect cellRect(const Canvas& canvas, std::int32_t x, std::int32_t y, std::int16_t columns,
                    std::int16_t rows) {
  CanvasRect rect{};
  rect.x0 = mapToCanvas(x, columns, canvas.scaleWidth());
  rect.y0 = mapToCanvas(y, rows, canvas.scaleHeight());
  rect.x1 = mapToCanvas(x + 1, columns, canvas.scaleWidth());
  rect.y1 = mapToCanvas(y + 1, rows, canvas.scaleHeight());
  return rect;
}

std::int32_t cellColour(std::int16_t processType, std::uint8_t v) {
  switch (processType) {
    case 1: return rgb(v, 0, 0);
    case 2: return rgb(0, v, 0);
    case 3: return rgb(0, 0, v);
    default: return rgb(v, v, v);
  }
}

// Red level of segment row `row` (at most 200); saturating keeps a larger one out of the green byte.
std::int32_t segmentColour(std::int32_t row) { return rgb(std::clamp<int>(row, 0, 255), 0, 0); }

void drawGlyph(Canvas& canvas, std::uint8_t code, const CanvasRect& r) {
  switch (code) {
    case kHorizontal: canvas.line(r.x0, r.y0, r.x1, r.y0, kGlyphColour); break;
    case kVertical: canvas.line(r.x0, r.y0, r.x0, r.y1, kGlyphColour); break;
    case kRisingDiagonal: canvas.line(r.x0, r.y1, r.x1, r.y0, kGlyphColour); break;
    case kFallingDiagonal: canvas.line(r.x0, r.y0, r.x1, r.y1, kGlyphColour); break;
    case kCross:  // a corner: the top edge, then the left edge
      canvas.line(r.x0, r.y0, r.x1, r.y0, kGlyphColour);
      canvas.line(r.x0, r.y0, r.x0, r.y1, kGlyphColour);
      break;
    default: break;
  }
}

}  // namespace

void classImageProcessing::show(Canvas& canvas) const {
  if (processType_ == 4) {
    canvas.cls();
    showEdgeTraces(canvas);
    return;
  }
  // No clearing: the cells cover the whole drawing area.
  canvas.setFillStyle(kSolidFill);
  const std::int16_t lastX = checked::lastIndex(width_);
  const std::int16_t lastY = checked::lastIndex(height_);
  for (std::int32_t x = 0; x <= lastX; ++x) {
    for (std::int32_t y = 0; y <= lastY; ++y) {
      const std::int32_t colour = cellColour(processType_, imageGrid_.at(x, y));
      canvas.setFillColor(colour);
      const CanvasRect r = cellRect(canvas, x, y, width_, height_);
      canvas.box(r.x0, r.y0, r.x1, r.y1, colour);
    }
  }
}

void classImageProcessing::showEdgeTraces(Canvas& canvas) const {
  canvas.setFillStyle(kSolidFill);
  const std::int16_t lastX = checked::lastIndex(width_);
  const std::int16_t lastY = checked::lastIndex(height_);
  for (std::int32_t x = 0; x <= lastX; ++x) {
    for (std::int32_t y = 0; y <= lastY; ++y) {
      if (!tracedMap_.at(x, y)) continue;
      canvas.setFillColor(kTracedCellColour);
      const CanvasRect r = cellRect(canvas, x, y, width_, height_);
      canvas.box(r.x0, r.y0, r.x1, r.y1, kTracedCellColour);
    }
  }
  showEdgeVector(canvas);
}

void classImageProcessing::showEdgeVector(Canvas& canvas) const {
  canvas.setFillStyle(kSolidFill);
  canvas.setDrawWidth(1);
  const std::int16_t lastRow = checked::lastIndex(noOfEdgeTraces_);
  for (std::int32_t i = 0; i <= lastRow; ++i) {
    const std::int16_t x1 = checked::roundToInt16(edgeTraces_.at(0, i));
    const std::int16_t y1 = checked::roundToInt16(edgeTraces_.at(1, i));
    const std::int16_t x2 = checked::roundToInt16(edgeTraces_.at(2, i));
    const std::int16_t y2 = checked::roundToInt16(edgeTraces_.at(3, i));
    const std::int32_t colour = segmentColour(i);
    canvas.setFillColor(colour);
    // Segment ends sit at the top-left corners of their cells.
    const float p1x = mapToCanvas(x1, width_, canvas.scaleWidth());
    const float p1y = mapToCanvas(y1, height_, canvas.scaleHeight());
    const float p2x = mapToCanvas(x2, width_, canvas.scaleWidth());
    const float p2y = mapToCanvas(y2, height_, canvas.scaleHeight());
    if (i > 0) canvas.lineTo(p1x, p1y, colour);  // connector from the previous segment's end
    canvas.line(p1x, p1y, p2x, p2y, colour);
  }
}

void classImageProcessing::showEdges(Canvas& canvas) const {
  canvas.cls();
  canvas.setFillStyle(kSolidFill);
  const std::int16_t lastX = checked::lastIndex(edgesWidth_);
  const std::int16_t lastY = checked::lastIndex(edgesHeight_);
  for (std::int32_t x = 0; x <= lastX; ++x) {
    for (std::int32_t y = 0; y <= lastY; ++y) {
      const CanvasRect r = cellRect(canvas, x, y, edgesWidth_, edgesHeight_);
      drawGlyph(canvas, edgeGrid_.at(x, y), r);
    }
  }
}

}  // namespace tavro

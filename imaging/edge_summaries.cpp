// Whole-picture edge and contour maps: another grid (possibly this one) is
// turned into per-cell edge strengths in this grid, scaling between the two
// grid sizes. The edge map also derives the trace threshold and traces.

#include <cmath>
#include <cstdlib>
#include <optional>

#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"

namespace tavro {

namespace {

constexpr double kMinMeanEdgeStrength = 0.01;

struct GridScale {
  float x;
  float y;
};

// rawImage cells per cell of this grid along each axis.
GridScale scaleBetween(const classImageProcessing& rawImage, std::int16_t width, std::int16_t height) {
  if (width == 0) throw Error(ErrorKind::DivisionByZero);
  const float scaleX = checked::toSingle(static_cast<double>(rawImage.width()) / width);
  if (height == 0) throw Error(ErrorKind::DivisionByZero);
  const float scaleY = checked::toSingle(static_cast<double>(rawImage.height()) / height);
  return {scaleX, scaleY};
}

// Edge strength 0..1 of cell (x, y): the brightness steps of the matching
// rawImage cell to its left and upper neighbours. None when that cell has no
// left or upper neighbour.
std::optional<float> edgeStrength(const classImageProcessing& rawImage, GridScale scale, int x, int y) {
  const std::int16_t rx = checked::roundToInt16(static_cast<float>(x) * scale.x);
  const std::int16_t ry = checked::roundToInt16(static_cast<float>(y) * scale.y);
  if (rx < 1 || ry < 1) return std::nullopt;
  const std::int16_t c = rawImage.getPoint(rx, ry);
  const std::int16_t l = rawImage.getPoint(static_cast<std::int16_t>(rx - 1), ry);
  const std::int16_t u = rawImage.getPoint(rx, static_cast<std::int16_t>(ry - 1));
  const std::int16_t steps = checked::add16(std::abs(c - l), std::abs(c - u));
  return checked::toSingle(steps / 510.0);
}

// Both summaries visit cells 1..width-1 x 1..height-1, columns outer: each
// visited cell leaves the traced map, and a cell with a strength gets
// valueOf(strength) written. rawImage may be the grid written, so later
// cells can read results already written.
template <class ValueOf>
void writeEdgeCells(Grid2D<std::uint8_t>& image, Grid2D<bool>& traced, std::int16_t width,
                    std::int16_t height, const classImageProcessing& rawImage, GridScale scale,
                    ValueOf valueOf) {
  for (int x = 1; x <= width - 1; ++x) {
    for (int y = 1; y <= height - 1; ++y) {
      traced.at(x, y) = false;
      const std::optional<float> e = edgeStrength(rawImage, scale, x, y);
      if (e) image.at(x, y) = checked::roundToByte(valueOf(*e));
    }
  }
}

}  // namespace

void classImageProcessing::getImageEdges(classImageProcessing& rawImage) {
  const GridScale scale = scaleBetween(rawImage, width_, height_);
  noOfEdgeTraces_ = 0;
  double total = 0.0;

  writeEdgeCells(imageGrid_, tracedMap_, width_, height_, rawImage, scale, [&](float e) {
    total += e;
    return e < EdgeThreshold_ ? 0.0f : e * 255.0f;
  });

  // Every cell counts in the mean, although the first row and column never
  // contribute; the 16-bit product overflows only after the grid is written.
  meanEdgeStrength_ = total / checked::mul16(width_, height_);
  if (!(meanEdgeStrength_ >= kMinMeanEdgeStrength)) meanEdgeStrength_ = kMinMeanEdgeStrength;
  TraceEdgesThresh_ = checked::roundToInt16(meanEdgeStrength_ * 255.0 * 0.1);
  traceEdges();
}

void classImageProcessing::getImageContours(classImageProcessing& rawImage) {
  const GridScale scale = scaleBetween(rawImage, width_, height_);
  noOfEdgeTraces_ = 0;
  const float span = 1.0f - EdgeThreshold_;

  writeEdgeCells(imageGrid_, tracedMap_, width_, height_, rawImage, scale, [&](float e) {
    // Edges just above the threshold bright, the strongest dark.
    const float d = e - EdgeThreshold_;
    if (d < 0.0f) return 0.0f;
    if (span == 0.0f) throw Error(ErrorKind::DivisionByZero);  // 0 / 0 at a threshold of 1
    return 255.0f - d / span * 255.0f;
  });
}

}  // namespace tavro

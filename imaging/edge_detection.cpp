// Edge detection: every 3x3 window at even x and y is matched against the
// edge patterns, giving a half-resolution map of edge class codes that is then
// cleaned in place (gaps bridged, runs thinned, solid areas hollowed). And the
// whole-picture edge and contour maps: another grid (possibly this one) turned
// into per-cell edge strengths in this grid, scaling between the two grid
// sizes; the edge map also derives the trace threshold and traces.

#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"

namespace tavro {

namespace {

constexpr std::int32_t kDarkWindowSum = 270;    // a mean of 30 or less is no edge
constexpr std::int16_t kMatchLimit = 100;       // a pattern matches below this score
constexpr std::int32_t kNoScoreYet = 9999999;
constexpr std::int16_t kFullCell = 255;         // what a pattern cell of 1 stands for
constexpr int kNoPattern = -1;
constexpr double kMinMeanEdgeStrength = 0.01;

using Window = std::array<std::int32_t, 9>;

// A pattern as the window it stands for (255 where it has 1) with its class, prepared once per scan.
struct IdealWindow {
  Window cells;
  int edgeClass;
};
using IdealWindows = std::array<IdealWindow, kStandardEdgePatterns>;

IdealWindows idealWindows(const FixedArray<std::optional<EdgePattern>, kEdgePatternSlots>& patterns) {
  IdealWindows ideals{};
  for (int slot = 0; slot < kStandardEdgePatterns; ++slot) {
    const std::optional<EdgePattern>& pattern = patterns.at(slot);
    if (!pattern) throw Error(ErrorKind::ObjectNotSet);
    IdealWindow& ideal = ideals[static_cast<std::size_t>(slot)];
    for (std::size_t n = 0; n < ideal.cells.size(); ++n)
      ideal.cells[n] = checked::mul32(kFullCell, (*pattern)[n]);
    ideal.edgeClass = (*pattern)[9];
  }
  return ideals;
}

// The nine cells of the window whose top-left cell is (x, y), row by row.
Window readWindow(const Grid2D<std::uint8_t>& image, int x, int y) {
  Window cells{};
  int n = 0;
  for (int yy = y; yy <= y + 2; ++yy)
    for (int xx = x; xx <= x + 2; ++xx) cells[static_cast<std::size_t>(n++)] = image.at(xx, yy);
  return cells;
}

// Mean absolute difference between the window and the ideal one, rounded. The quotient is never halfway
// (twice the sum is even, nine times an odd number odd), so rounding .5 up equals ties to even.
std::int32_t patternScore(const Window& cells, const Window& ideal) {
  std::int32_t difference = 0;
  for (std::size_t n = 0; n < cells.size(); ++n) difference += std::abs(cells[n] - ideal[n]);
  return (difference + 4) / 9;
}

bool isSet(const Grid2D<std::uint8_t>& edges, int x, int y) { return edges.at(x, y) != kNoEdge; }

bool allNeighboursSet(const Grid2D<std::uint8_t>& edges, int i, int j) {
  for (int x = i - 1; x <= i + 1; ++x)
    for (int y = j - 1; y <= j + 1; ++y)
      if ((x != i || y != j) && !isSet(edges, x, y)) return false;
  return true;
}

// The four clean-up rules for one inner cell, in order, each seeing what the previous ones wrote.
void cleanEdgeCell(Grid2D<std::uint8_t>& edges, int i, int j) {
  std::uint8_t& cell = edges.at(i, j);
  if (isSet(edges, i - 1, j) && isSet(edges, i + 1, j))
    cell = kHorizontal;
  else if (isSet(edges, i, j - 1) && isSet(edges, i, j + 1))
    cell = kVertical;
  if (edges.at(i + 1, j) == cell && cell != kHorizontal) cell = kNoEdge;
  if (edges.at(i, j + 1) == cell && cell != kVertical) cell = kNoEdge;
  if (allNeighboursSet(edges, i, j)) cell = kNoEdge;
}

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

// Edge strength 0..1 of cell (x, y): the brightness steps of the matching rawImage cell to its left
// and upper neighbours; none when it has no such neighbour.
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

// Both summaries visit cells 1..width-1 x 1..height-1, columns outer: each leaves the traced map, and one
// with a strength gets valueOf(strength). rawImage may be this grid: later cells read what is written.
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

void classImageProcessing::getEdges() {
  for (int slot = 0; slot <= 4; ++slot) edgeCounts_.at(slot) = 0;

  const std::int16_t lastX = checked::sub16(width_, 2);   // windows start below these
  const std::int16_t lastY = checked::sub16(height_, 2);
  std::optional<IdealWindows> ideals;  // read from the table at the first lit window
  for (std::int16_t x = 0; x < lastX; x = checked::add16(x, 2)) {
    const std::int16_t ex = static_cast<std::int16_t>(x / 2);
    for (std::int16_t y = 0; y < lastY; y = checked::add16(y, 2)) {
      const std::int16_t ey = static_cast<std::int16_t>(y / 2);
      std::uint8_t& edge = edgeGrid_.at(ex, ey);
      edge = kNoEdge;
      const Window cells = readWindow(imageGrid_, x, y);
      std::int32_t windowSum = 0;
      for (const std::int32_t v : cells) windowSum += v;

      // The mean test does not depend on the pattern: a dark window is no edge.
      int bestClass = kNoPattern;
      if (windowSum <= kDarkWindowSum) {
        bestClass = kNoEdge;
      } else {
        if (!ideals) ideals = idealWindows(edgePatterns_);
        std::int32_t bestScore = kNoScoreYet;
        for (const IdealWindow& ideal : *ideals) {
          const std::int32_t score = patternScore(cells, ideal.cells);
          if (score < kMatchLimit && score < bestScore) {  // ties stay with the earlier slot
            bestClass = ideal.edgeClass;
            bestScore = score;
            edge = checked::narrow<std::uint8_t>(bestClass);
          }
        }
      }
      if (bestClass > 0) {
        std::int16_t& count = edgeCounts_.at(bestClass - 1);
        count = checked::add16(count, 1);
      }
    }
  }
  getEdges_secondary();
}

void classImageProcessing::getEdges_secondary() {
  const std::int16_t lastI = checked::lastIndex(edgesWidth_);
  const std::int16_t lastJ = checked::lastIndex(edgesHeight_);
  for (std::int16_t i = 1; i <= lastI; ++i)
    for (std::int16_t j = 1; j <= lastJ; ++j) cleanEdgeCell(edgeGrid_, i, j);
}

void classImageProcessing::getImageEdges(classImageProcessing& rawImage) {
  const GridScale scale = scaleBetween(rawImage, width_, height_);
  noOfEdgeTraces_ = 0;
  double total = 0.0;

  writeEdgeCells(imageGrid_, tracedMap_, width_, height_, rawImage, scale, [&](float e) {
    total += e;
    return e < EdgeThreshold_ ? 0.0f : e * 255.0f;
  });

  // Every cell counts in the mean, though the first row and column add nothing; the 16-bit product
  // overflows only after the grid is written.
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

// Every grid size from 0 x 0 to 128 x 128 through the whole edge toolkit with
// random content, drawings included: each operation either succeeds with
// consistent tables or fails with the error its rules give for that size.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "imaging/image_processing.h"

namespace tavro {
namespace {

constexpr int kLargest = 128;

// Random content with zero patches, so that traces both wander and stop.
void scribble(classImageProcessing& grid, std::mt19937& random) {
  std::uniform_int_distribution<int> value(0, 255);
  std::bernoulli_distribution blank(0.3);
  for (std::int16_t x = 0; x <= grid.width(); ++x)
    for (std::int16_t y = 0; y <= grid.height(); ++y)
      grid.setPoint(x, y, blank(random) ? 0 : static_cast<std::uint8_t>(value(random)));
}

template <class Operation>
ErrorKind failureOf(Operation operation) {
  try {
    operation();
  } catch (const Error& e) {
    return e.kind();
  }
  return static_cast<ErrorKind>(-1);  // none
}
const ErrorKind kNone = static_cast<ErrorKind>(-1);

void expectConsistentTraceTables(const classImageProcessing& grid) {
  EXPECT_GE(grid.noOfEdgeTraces(), 0);
  EXPECT_LE(grid.noOfEdgeTraces(), 200);
  for (int x = 0; x <= grid.width(); ++x)
    for (int y = 0; y <= grid.height(); ++y) {
      if (!grid.tracedMapView().at(x, y)) continue;
      // Only sampled, non-zero cells are ever stepped on.
      EXPECT_LT(x, grid.width());
      EXPECT_LT(y, grid.height());
      EXPECT_NE(grid.imageGridView().at(x, y), 0);
    }
  for (int bin = 0; bin <= 17; ++bin) EXPECT_GE(grid.angleHistogramView().at(bin), 0);
  EXPECT_EQ(grid.angleHistogramView().at(18), 0);
}

void expectConsistentEdgeMap(const classImageProcessing& grid) {
  int windowsX = 0, windowsY = 0;
  for (int x = 0; x < grid.width() - 2; x += 2) ++windowsX;
  for (int y = 0; y < grid.height() - 2; y += 2) ++windowsY;
  int counted = 0;
  for (int c = 0; c <= 4; ++c) counted += grid.edgeCountsView().at(c);
  EXPECT_LE(counted, windowsX * windowsY);
  for (int ex = 0; ex <= grid.edgesWidth(); ++ex)
    for (int ey = 0; ey <= grid.edgesHeight(); ++ey) {
      const int code = grid.edgeGridView().at(ex, ey);
      EXPECT_LE(code, 5);
      if (ex >= windowsX || ey >= windowsY) {
        EXPECT_EQ(code, 0);  // never scanned
      }
    }
}

// Counts what is drawn and checks that every point lies on the canvas.
class CountingCanvas : public Canvas {
 public:
  static constexpr float kSide = 300.0f;
  float scaleWidth() const override { return kSide; }
  float scaleHeight() const override { return kSide; }
  std::int32_t point(float, float) const override { return 0; }
  void cls() override { ++clears; }
  void setFillStyle(std::int16_t) override {}
  void setFillColor(std::int32_t) override {}
  void setDrawWidth(std::int16_t) override {}
  void line(float x1, float y1, float x2, float y2, std::int32_t) override {
    ++lines;
    expectOnCanvas(x1, y1);
    expectOnCanvas(x2, y2);
  }
  void lineTo(float x2, float y2, std::int32_t) override {
    ++connectors;
    expectOnCanvas(x2, y2);
  }
  void box(float x1, float y1, float x2, float y2, std::int32_t) override {
    ++boxes;
    expectOnCanvas(x1, y1);
    expectOnCanvas(x2, y2);
  }
  int clears = 0, lines = 0, connectors = 0, boxes = 0;

 private:
  static void expectOnCanvas(float x, float y) {
    EXPECT_TRUE(x >= 0.0f && x <= kSide && y >= 0.0f && y <= kSide) << x << ", " << y;
  }
};

// Every view of the grid: one box per cell, one per traced cell, one line
// per segment with a connector before all but the first, one glyph line per
// edge class 1..4 and two per corner.
void expectEveryViewDrawn(classImageProcessing& grid) {
  const int width = std::max(0, int{grid.width()}), height = std::max(0, int{grid.height()});
  int traced = 0;
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y) traced += grid.tracedMapView().at(x, y);
  int glyphLines = 0;
  for (int ex = 0; ex < grid.edgesWidth(); ++ex)
    for (int ey = 0; ey < grid.edgesHeight(); ++ey) {
      const int code = grid.edgeGridView().at(ex, ey);
      glyphLines += code == 5 ? 2 : (code >= 1 && code <= 4 ? 1 : 0);
    }
  const int segments = grid.noOfEdgeTraces();

  CountingCanvas cells;
  grid.setProcessType(0);
  grid.show(cells);
  EXPECT_EQ(cells.boxes, width * height);
  EXPECT_EQ(cells.clears, 0);

  CountingCanvas traces;
  grid.setProcessType(4);
  grid.show(traces);
  EXPECT_EQ(traces.clears, 1);
  EXPECT_EQ(traces.boxes, traced);
  EXPECT_EQ(traces.lines, segments);
  EXPECT_EQ(traces.connectors, std::max(0, segments - 1));

  CountingCanvas glyphs;
  grid.showEdges(glyphs);
  EXPECT_EQ(glyphs.clears, 1);
  EXPECT_EQ(glyphs.lines, glyphLines);
}

void runWholeToolkit(int width, int height, std::mt19937& random) {
  SCOPED_TRACE(testing::Message() << width << " x " << height);
  const bool empty = width == 0 || height == 0;
  classImageProcessing grid;
  grid.init(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  scribble(grid, random);

  EXPECT_EQ(failureOf([&] { grid.getEdges(); }), kNone);
  expectConsistentEdgeMap(grid);

  // A zero-width grid scans past its only column.
  const ErrorKind raster = failureOf([&] { grid.traceEdges(); });
  EXPECT_EQ(raster, width == 0 && height > 0 ? ErrorKind::SubscriptOutOfRange : kNone);
  expectConsistentTraceTables(grid);

  // The probe is clamped to width - 1 and height - 1: no cell for it when empty.
  grid.setTraceEdgesThresh(static_cast<std::int16_t>(random() % 40));
  const ErrorKind spiral = failureOf([&] { grid.traceEdges_old(); });
  EXPECT_EQ(spiral, empty ? ErrorKind::SubscriptOutOfRange : kNone);
  expectConsistentTraceTables(grid);

  classImageProcessing raw;
  raw.init(static_cast<std::int16_t>(1 + random() % 200), static_cast<std::int16_t>(1 + random() % 200));
  scribble(raw, random);
  const ErrorKind expectedSummary = empty ? ErrorKind::DivisionByZero : kNone;
  EXPECT_EQ(failureOf([&] { grid.getImageEdges(raw); }), expectedSummary);
  expectConsistentTraceTables(grid);
  if (!empty) {
    EXPECT_GE(grid.meanEdgeStrength(), 0.01);
    EXPECT_GE(grid.TraceEdgesThresh(), 0);
  }
  expectEveryViewDrawn(grid);
  EXPECT_EQ(failureOf([&] { grid.getImageEdges(grid); }), expectedSummary);
  grid.setEdgeThreshold(0.3f);
  EXPECT_EQ(failureOf([&] { grid.getImageContours(raw); }), expectedSummary);
  EXPECT_EQ(failureOf([&] { grid.getEdges(); }), kNone);
  expectConsistentEdgeMap(grid);
}

TEST(EdgeToolkitSizes, SquareGridsOfEverySize) {
  std::mt19937 random(12345);
  for (int side = 0; side <= kLargest; ++side) runWholeToolkit(side, side, random);
}

TEST(EdgeToolkitSizes, EveryWidthAndEveryHeight) {
  std::mt19937 random(54321);
  for (int w = 0; w <= kLargest; ++w) runWholeToolkit(w, kLargest - w, random);
  for (int w = 0; w <= kLargest; ++w) runWholeToolkit(w, (w * 37 + 11) % (kLargest + 1), random);
}

TEST(EdgeToolkitSizes, SmallGridsInEveryShape) {
  std::mt19937 random(777);
  for (int w = 0; w <= 8; ++w)
    for (int h = 0; h <= 8; ++h) runWholeToolkit(w, h, random);
}

}  // namespace
}  // namespace tavro

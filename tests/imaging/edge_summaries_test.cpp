#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "imaging/image_processing.h"
#include "tests/imaging/error_kind_of.h"
#include "tests/imaging/image_processing_test_peer.h"

namespace tavro {
namespace {

using Peer = ImageProcessingTestPeer;

// A grid whose cell (x, y) is value(x, y) over the sampled cells.
classImageProcessing picture(int width, int height, const std::function<std::uint8_t(int, int)>& value) {
  classImageProcessing grid;
  grid.init(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y)
      grid.setPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), value(x, y));
  return grid;
}

// Every cell, the spare column and row included, set to value.
void fillAll(classImageProcessing& grid, std::uint8_t value) {
  for (std::int16_t x = 0; x <= grid.width(); ++x)
    for (std::int16_t y = 0; y <= grid.height(); ++y) grid.setPoint(x, y, value);
}

classImageProcessing verticalStep(int width, int height, int firstBrightColumn) {
  return picture(width, height, [=](int x, int) { return x >= firstBrightColumn ? 255 : 0; });
}

// Rows of the result, y from 0 to height: each a list of columns 0 to width.
std::vector<std::vector<int>> rows(const classImageProcessing& grid) {
  std::vector<std::vector<int>> r;
  for (int y = 0; y <= grid.height(); ++y) {
    std::vector<int> row;
    for (int x = 0; x <= grid.width(); ++x) row.push_back(grid.getPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)));
    r.push_back(row);
  }
  return r;
}

// One written cell: (1, 1) of a 2 x 2 result from a 2 x 2 picture whose
// (1, 1) is centre, (0, 1) left and (1, 0) up.
classImageProcessing oneCellPicture(std::uint8_t centre, std::uint8_t left, std::uint8_t up) {
  classImageProcessing raw;
  raw.init(2, 2);
  raw.setPoint(1, 1, centre);
  raw.setPoint(0, 1, left);
  raw.setPoint(1, 0, up);
  return raw;
}

// Cell (1, 1) of the 2 x 2 result that `summary` makes of that picture.
using Summary = void (classImageProcessing::*)(classImageProcessing&);
int summaryValue(Summary summary, std::uint8_t centre, std::uint8_t left, std::uint8_t up, float threshold) {
  classImageProcessing raw = oneCellPicture(centre, left, up);
  classImageProcessing result;
  result.init(2, 2);
  result.setEdgeThreshold(threshold);
  (result.*summary)(raw);
  return result.getPoint(1, 1);
}

int edgeValue(std::uint8_t centre, std::uint8_t left, std::uint8_t up, float threshold = 0.0f) {
  return summaryValue(&classImageProcessing::getImageEdges, centre, left, up, threshold);
}

int contourValue(std::uint8_t centre, std::uint8_t left, std::uint8_t up, float threshold) {
  return summaryValue(&classImageProcessing::getImageContours, centre, left, up, threshold);
}

// --- edge strength and getImageEdges ---

TEST(ImageEdges, FlatPictureGivesZerosAndTheFloorMean) {
  classImageProcessing raw = picture(10, 10, [](int, int) { return 77; });
  classImageProcessing edges;
  edges.init(10, 10);
  fillAll(edges, 200);
  edges.setMinEdgeLength(100);  // the 200s left on the border keep no trace
  Peer::addEdgeTrace(edges, 1, 1, 2, 2, 1.0f);
  edges.setTraceEdgesThresh(9);

  edges.getImageEdges(raw);
  for (int x = 0; x <= 10; ++x)
    for (int y = 0; y <= 10; ++y) {
      const bool written = x >= 1 && x <= 9 && y >= 1 && y <= 9;
      EXPECT_EQ(edges.getPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)), written ? 0 : 200);
    }
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 0.01);
  EXPECT_EQ(edges.TraceEdgesThresh(), 0);
  EXPECT_EQ(edges.noOfEdgeTraces(), 0);
}

TEST(ImageEdges, StrengthIsTheLeftAndUpperStepsOver510) {
  EXPECT_EQ(edgeValue(255, 0, 255), 128);  // e = 0.5: 127.5 to even
  EXPECT_EQ(edgeValue(255, 0, 0), 255);    // e = 1
  EXPECT_EQ(edgeValue(0, 255, 255), 255);  // steps count either way
  EXPECT_EQ(edgeValue(100, 0, 100), 50);   // 100 / 510 x 255
  EXPECT_EQ(edgeValue(130, 200, 10), 95);  // (70 + 120) / 2
  EXPECT_EQ(edgeValue(40, 40, 40), 0);
}

TEST(ImageEdges, SingleVerticalStep) {
  classImageProcessing raw = verticalStep(10, 10, 5);
  classImageProcessing edges;
  edges.init(10, 10);
  edges.getImageEdges(raw);
  for (int x = 0; x <= 10; ++x)
    for (int y = 0; y <= 10; ++y) {
      const bool onStep = x == 5 && y >= 1 && y <= 9;
      EXPECT_EQ(edges.getPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)), onStep ? 128 : 0);
    }
  // Nine cells of 0.5 over all 100 cells; 0.045 x 255 x 0.1 = 1.15 -> 1.
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 0.045);
  EXPECT_EQ(edges.TraceEdgesThresh(), 1);
  // Traced: each start walks north up the step; nine cells are too short to keep.
  for (std::int16_t y = 1; y <= 9; ++y) EXPECT_TRUE(edges.tracedMapView().at(5, y));
  EXPECT_EQ(edges.noOfEdgeTraces(), 0);
}

TEST(ImageEdges, CellsBelowTheThresholdBecomeZeroButStillCountInTheMean) {
  EXPECT_EQ(edgeValue(255, 0, 255, 0.6f), 0);
  EXPECT_EQ(edgeValue(255, 0, 255, 0.5f), 128);  // not below

  classImageProcessing raw = verticalStep(10, 10, 5);
  classImageProcessing edges;
  edges.init(10, 10);
  edges.setEdgeThreshold(0.6f);
  edges.getImageEdges(raw);
  EXPECT_EQ(edges.getPoint(5, 5), 0);
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 0.045);
  EXPECT_EQ(edges.TraceEdgesThresh(), 1);
}

TEST(ImageEdges, StrongMeanGivesAHigherTraceThreshold) {
  // A checkerboard of 0 and 255: every examined cell has e = 1; 49 of 64
  // cells, mean 0.765625; x 25.5 = 19.52 -> 20.
  classImageProcessing raw = picture(8, 8, [](int x, int y) { return (x + y) % 2 == 0 ? 0 : 255; });
  classImageProcessing edges;
  edges.init(8, 8);
  edges.getImageEdges(raw);
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 49.0 / 64.0);
  EXPECT_EQ(edges.TraceEdgesThresh(), 20);
  EXPECT_EQ(edges.getPoint(3, 4), 255);
}

TEST(ImageEdges, LargerPictureIsSampledAtEveryScaleXthColumn) {
  // 20 x 20 onto 10 x 10: cell x reads column 2x. A step at column 12 is seen
  // at x = 6; one at column 11 falls between the columns examined.
  classImageProcessing seen = verticalStep(20, 20, 12);
  classImageProcessing edges;
  edges.init(10, 10);
  edges.getImageEdges(seen);
  for (std::int16_t y = 1; y <= 9; ++y) {
    EXPECT_EQ(edges.getPoint(6, y), 128);
    EXPECT_EQ(edges.getPoint(5, y), 0);
    EXPECT_EQ(edges.getPoint(7, y), 0);
  }

  classImageProcessing missed = verticalStep(20, 20, 11);
  edges.getImageEdges(missed);
  for (std::int16_t x = 1; x <= 9; ++x)
    for (std::int16_t y = 1; y <= 9; ++y) EXPECT_EQ(edges.getPoint(x, y), 0);
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 0.01);
}

TEST(ImageEdges, SmallerPictureIsReadBySeveralCells) {
  // 5 x 5 onto 10 x 10: rx = round(x / 2) = 0, 1, 2, 2, 2, 3, 4, 4, 4 for
  // x = 1..9. Column 1 and row 1 round to 0 and keep their 9; the step at
  // column 2 is seen from x = 3, 4 and 5.
  classImageProcessing raw = verticalStep(5, 5, 2);
  classImageProcessing edges;
  edges.init(10, 10);
  fillAll(edges, 9);
  edges.setMinEdgeLength(100);
  edges.getImageEdges(raw);
  for (int x = 1; x <= 9; ++x)
    for (int y = 1; y <= 9; ++y) {
      int expected = 0;
      if (x == 1 || y == 1) expected = 9;
      else if (x >= 3 && x <= 5) expected = 128;
      EXPECT_EQ(edges.getPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)), expected)
          << x << "," << y;
    }
  // 24 cells of 0.5 over 100; 0.12 x 25.5 = 3.06 -> 3.
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 0.12);
  EXPECT_EQ(edges.TraceEdgesThresh(), 3);
}

TEST(ImageEdges, PictureCanBeTheResultItself) {
  // Column 1 at 128 on a 4 x 4 grid, edges written in place column by column:
  // later cells read the results already written to their left and above.
  classImageProcessing grid = picture(4, 4, [](int x, int) { return x == 1 ? 128 : 0; });
  grid.getImageEdges(grid);
  const std::vector<std::vector<int>> expected = {
      {0, 128, 0, 0, 0},
      {0, 64, 32, 16, 0},
      {0, 96, 64, 40, 0},
      {0, 80, 72, 56, 0},
      {0, 0, 0, 0, 0},
  };
  EXPECT_EQ(rows(grid), expected);
  // Steps 128+192+160+64+128+144+32+80+112 = 1040; 1040 / 510 / 16 x 25.5 = 3.25 -> 3.
  EXPECT_EQ(grid.TraceEdgesThresh(), 3);

  // The same picture as a separate object: (1, 2) reads the original 128 above.
  classImageProcessing raw = picture(4, 4, [](int x, int) { return x == 1 ? 128 : 0; });
  classImageProcessing separate;
  separate.init(4, 4);
  separate.getImageEdges(raw);
  EXPECT_EQ(separate.getPoint(1, 2), 64);
}

TEST(ImageEdges, GridAbove32767CellsOverflowsAfterWritingTheCells) {
  classImageProcessing raw = verticalStep(10, 10, 5);
  classImageProcessing edges;
  edges.init(182, 181);  // 32942 cells
  edges.setTraceEdgesThresh(77);
  Peer::addEdgeTrace(edges, 0, 0, 1, 1, 1.0f);
  Peer::tracedMap(edges).at(91, 100) = true;

  EXPECT_EQ(kindOf([&] { edges.getImageEdges(raw); }), ErrorKind::Overflow);
  // x = 91 reads column round(91 x 10 / 182) = 5, the step.
  EXPECT_EQ(edges.getPoint(91, 100), 128);
  EXPECT_EQ(edges.getPoint(180, 180), 0);
  EXPECT_EQ(edges.meanEdgeStrength(), 0.0);
  EXPECT_EQ(edges.TraceEdgesThresh(), 77);
  EXPECT_EQ(edges.noOfEdgeTraces(), 0);
  EXPECT_FALSE(edges.tracedMapView().at(91, 100));  // cleared, and no trace ran

  classImageProcessing largest;
  largest.init(181, 181);  // 32761 cells fit
  largest.setMinEdgeLength(1000);  // no segments: far-apart ones could overflow the chain
  largest.getImageEdges(raw);
  EXPECT_EQ(largest.getPoint(91, 100), 128);
}

TEST(ImageEdges, ZeroSizeIsADivisionByZeroBeforeAnythingChanges) {
  classImageProcessing raw = verticalStep(10, 10, 5);
  classImageProcessing never;
  EXPECT_EQ(kindOf([&] { never.getImageEdges(raw); }), ErrorKind::DivisionByZero);

  classImageProcessing flat;
  flat.init(5, 0);
  Peer::addEdgeTrace(flat, 0, 0, 1, 1, 1.0f);
  EXPECT_EQ(kindOf([&] { flat.getImageEdges(raw); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(kindOf([&] { flat.getImageContours(raw); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(flat.noOfEdgeTraces(), 1);
}

TEST(ImageEdges, UninitialisedPicture) {
  classImageProcessing edges;
  edges.init(10, 10);
  fillAll(edges, 5);
  edges.setMinEdgeLength(100);

  // Sizes 0: every cell rounds to column 0 and is skipped.
  classImageProcessing never;
  edges.getImageEdges(never);
  EXPECT_EQ(edges.getPoint(5, 5), 5);
  EXPECT_DOUBLE_EQ(edges.meanEdgeStrength(), 0.01);

  // Sizes set by hand without arrays: the first read is out of range.
  classImageProcessing handSized;
  handSized.setWidth(10);
  handSized.setHeight(10);
  EXPECT_EQ(kindOf([&] { edges.getImageEdges(handSized); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { edges.getImageContours(handSized); }), ErrorKind::SubscriptOutOfRange);
}

// --- getImageContours ---

TEST(ImageContours, EdgesJustAboveTheThresholdAreBrightest) {
  EXPECT_EQ(contourValue(255, 0, 255, 0.5f), 255);  // e = 0.5
  EXPECT_EQ(contourValue(255, 0, 0, 0.5f), 0);      // e = 1
  EXPECT_EQ(contourValue(255, 0, 102, 0.5f), 102);  // e = 0.8: 255 - 0.6 x 255
  EXPECT_EQ(contourValue(100, 0, 100, 0.5f), 0);    // e = 0.39, below
}

TEST(ImageContours, ZeroThresholdInvertsTheStrength) {
  EXPECT_EQ(contourValue(255, 0, 255, 0.0f), 128);  // 255 - 127.5 to even
  EXPECT_EQ(contourValue(40, 40, 40, 0.0f), 255);   // flat is not below 0
  EXPECT_EQ(contourValue(255, 0, 0, 0.0f), 0);
}

TEST(ImageContours, ThresholdOfOneFailsOnlyOnAFullStrengthEdge) {
  EXPECT_EQ(contourValue(255, 0, 255, 1.0f), 0);
  EXPECT_EQ(kindOf([] { contourValue(255, 0, 0, 1.0f); }), ErrorKind::DivisionByZero);
}

TEST(ImageContours, NoTracingAndAnEmptyCountedTable) {
  classImageProcessing raw = verticalStep(5, 5, 2);
  classImageProcessing contours;
  contours.init(10, 10);
  fillAll(contours, 9);
  for (int x = 0; x <= 10; ++x)
    for (int y = 0; y <= 10; ++y) Peer::tracedMap(contours).at(x, y) = true;
  Peer::addEdgeTrace(contours, 0, 0, 1, 1, 1.0f);
  contours.setTraceEdgesThresh(42);
  contours.setEdgeThreshold(0.25f);

  contours.getImageContours(raw);
  EXPECT_EQ(contours.noOfEdgeTraces(), 0);
  EXPECT_EQ(contours.TraceEdgesThresh(), 42);
  EXPECT_EQ(contours.meanEdgeStrength(), 0.0);
  // Every visited cell is cleared, the skipped column 1 and row 1 included.
  for (int x = 0; x <= 10; ++x)
    for (int y = 0; y <= 10; ++y) {
      const bool visited = x >= 1 && x <= 9 && y >= 1 && y <= 9;
      EXPECT_EQ(contours.tracedMapView().at(x, y), !visited);
    }
  // e = 0.5 at x = 3..5: d = 0.25, span 0.75: 255 - 85 = 170. Skipped cells keep 9.
  EXPECT_EQ(contours.getPoint(4, 4), 170);
  EXPECT_EQ(contours.getPoint(1, 4), 9);
  EXPECT_EQ(contours.getPoint(4, 1), 9);
  EXPECT_EQ(contours.getPoint(7, 7), 0);
}

}  // namespace
}  // namespace tavro

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <random>
#include <utility>
#include <vector>

#include "imaging/image_processing.h"
#include "tests/imaging/error_kind_of.h"
#include "tests/imaging/image_processing_test_peer.h"

namespace tavro {
namespace {

using Cell = std::pair<int, int>;
using Peer = ImageProcessingTestPeer;

classImageProcessing gridWith(int width, int height, std::initializer_list<Cell> cells, std::uint8_t value) {
  classImageProcessing grid;
  grid.init(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  for (const Cell& c : cells)
    grid.setPoint(static_cast<std::int16_t>(c.first), static_cast<std::int16_t>(c.second), value);
  return grid;
}

struct TraceResult {
  bool kept;
  int x;
  int y;
  int edgeLength;
};

TraceResult trace(classImageProcessing& grid, int x, int y, int edgeLength = 0) {
  std::int16_t tx = static_cast<std::int16_t>(x), ty = static_cast<std::int16_t>(y);
  std::int16_t length = static_cast<std::int16_t>(edgeLength);
  const bool kept = grid.traceEdgesFromPoint(tx, ty, length);
  return {kept, tx, ty, length};
}

std::vector<Cell> cellsSet(const Grid2D<bool>& map) {
  std::vector<Cell> cells;
  for (int x = 0; x <= map.upperX(); ++x)
    for (int y = 0; y <= map.upperY(); ++y)
      if (map.at(x, y)) cells.emplace_back(x, y);
  return cells;
}

std::vector<Cell> rowOfCells(int fromX, int toX, int y) {
  std::vector<Cell> cells;
  for (int x = fromX; x <= toX; ++x) cells.emplace_back(x, y);
  return cells;
}

// One segment row: start x, start y, end x, end y, strength.
using Segment = std::array<float, 5>;

Segment segment(const classImageProcessing& grid, int row) {
  Segment s{};
  for (int c = 0; c < 5; ++c) s[static_cast<std::size_t>(c)] = grid.edgeTracesView().at(c, row);
  return s;
}

// The row x = 5..20 at y = 3, value 100, on a fresh 25 x 25 grid.
classImageProcessing runGrid() {
  classImageProcessing grid;
  grid.init(25, 25);
  for (std::int16_t x = 5; x <= 20; ++x) grid.setPoint(x, 3, 100);
  return grid;
}

// A path that turns: from (10, 2) west, south-west, south, south-east, then
// a tie of east (10, 5) and south-east (10, 6), then south.
const std::initializer_list<Cell> kTurningPath = {{10, 2}, {9, 2}, {8, 3}, {8, 4}, {9, 5}, {10, 5}, {10, 6}};

// --- one trace ---

TEST(TraceFromPoint, ZeroStartCellStopsAtOnce) {
  classImageProcessing grid = runGrid();
  ASSERT_TRUE(trace(grid, 20, 3).kept);  // leaves probeHeading at 270
  const std::vector<Cell> tracedBefore = cellsSet(grid.tracedMapView());

  const TraceResult r = trace(grid, 2, 2, 0);
  EXPECT_FALSE(r.kept);
  EXPECT_EQ(r.x, 2);
  EXPECT_EQ(r.y, 2);
  EXPECT_EQ(r.edgeLength, 0);
  EXPECT_EQ(grid.probeHeading(), 0.0f);
  EXPECT_EQ(cellsSet(grid.tracedMapView()), tracedBefore);
  EXPECT_TRUE(cellsSet(grid.traceVisitedView()).empty());  // a fresh trace clears the visited set
}

TEST(TraceFromPoint, IsolatedCellIsAOneCellTrace) {
  classImageProcessing grid = gridWith(10, 10, {{4, 4}}, 9);
  const TraceResult r = trace(grid, 4, 4);
  EXPECT_FALSE(r.kept);  // one cell is not more than minEdgeLength 10
  EXPECT_EQ(r.x, 4);
  EXPECT_EQ(r.y, 4);
  EXPECT_EQ(r.edgeLength, 1);
  EXPECT_EQ(cellsSet(grid.tracedMapView()), (std::vector<Cell>{{4, 4}}));
  EXPECT_EQ(grid.noOfEdgeTraces(), 0);
}

TEST(TraceFromPoint, RunTracedFromItsWestEndVisitsOnlyTheStart) {
  classImageProcessing grid = runGrid();
  const TraceResult r = trace(grid, 5, 3);  // east needs a heading above 0
  EXPECT_FALSE(r.kept);
  EXPECT_EQ(r.edgeLength, 1);
  EXPECT_EQ(r.x, 5);
  EXPECT_EQ(cellsSet(grid.tracedMapView()), (std::vector<Cell>{{5, 3}}));
}

TEST(TraceFromPoint, RunTracedFromItsEastEndIsTheWorkedExample) {
  classImageProcessing grid = runGrid();
  const TraceResult r = trace(grid, 20, 3);
  EXPECT_TRUE(r.kept);
  EXPECT_EQ(r.x, 5);
  EXPECT_EQ(r.y, 3);
  EXPECT_EQ(r.edgeLength, 16);
  EXPECT_EQ(grid.probeHeading(), 270.0f);
  ASSERT_EQ(grid.noOfEdgeTraces(), 1);
  // Strength 100 after the first step, 0 averaged in by the last one.
  EXPECT_EQ(segment(grid, 0), (Segment{20, 3, 5, 3, 50}));
  EXPECT_EQ(cellsSet(grid.tracedMapView()), rowOfCells(5, 20, 3));
  EXPECT_EQ(cellsSet(grid.traceVisitedView()), rowOfCells(5, 20, 3));
}

TEST(TraceFromPoint, WestHeadingStopsAtACornerTurningNorth) {
  // At heading exactly 270 north is outside its window (above 270 or below 90).
  classImageProcessing grid = gridWith(20, 20, {{10, 5}, {9, 5}, {8, 5}, {8, 4}, {8, 3}}, 50);
  const TraceResult r = trace(grid, 10, 5);
  EXPECT_EQ(r.x, 8);
  EXPECT_EQ(r.y, 5);
  EXPECT_EQ(r.edgeLength, 3);
  EXPECT_FALSE(grid.tracedMapView().at(8, 4));
}

TEST(TraceFromPoint, NorthWinsATieWithNorthWest) {
  // North to (5, 4), then west onto (4, 4) (heading still 0 accepts west);
  // had north-west won, the trace would end at (4, 4) after two cells.
  classImageProcessing grid = gridWith(10, 10, {{5, 5}, {5, 4}, {4, 4}}, 7);
  const TraceResult r = trace(grid, 5, 5);
  EXPECT_EQ(r.edgeLength, 3);
  EXPECT_EQ(r.x, 4);
  EXPECT_EQ(r.y, 4);
  EXPECT_EQ(grid.probeHeading(), 270.0f);
  EXPECT_TRUE(grid.traceVisitedView().at(5, 4));
}

TEST(TraceFromPoint, NorthEastStepSetsTheHeadingTo45) {
  classImageProcessing grid = gridWith(10, 10, {{5, 5}, {6, 4}}, 30);
  const TraceResult r = trace(grid, 5, 5);
  EXPECT_EQ(r.x, 6);
  EXPECT_EQ(r.y, 4);
  EXPECT_EQ(r.edgeLength, 2);
  EXPECT_EQ(grid.probeHeading(), 45.0f);
  EXPECT_EQ(grid.traceHeading(), 45.0f);
}

TEST(TraceFromPoint, HeadingFollowsTheTurnsOfAPath) {
  // Headings: 270; 270 - 45/2 = 247.5; turn 67.5 -> 68, 213.5; turn 78.5 ->
  // 78, 174.5 (south-east taken); at 174.5 east and south-east tie, east
  // first: turn 84.5 -> 84, 132.5; south: turn 47.5 -> 48, 108.5; no step:
  // turn 71.5 -> 72, 72.5. Had south-east won the tie, the trace would end
  // at (10, 6) after six cells with direction 135.
  classImageProcessing grid = gridWith(20, 20, kTurningPath, 100);
  const TraceResult r = trace(grid, 10, 2);
  EXPECT_FALSE(r.kept);
  EXPECT_EQ(r.edgeLength, 7);
  EXPECT_EQ(r.x, 10);
  EXPECT_EQ(r.y, 6);
  EXPECT_EQ(grid.probeHeading(), 180.0f);
  EXPECT_EQ(grid.traceHeading(), 72.5f);
  EXPECT_EQ(grid.noOfEdgeTraces(), 0);
  EXPECT_EQ(cellsSet(grid.tracedMapView()).size(), 7u);
}

TEST(TraceFromPoint, KeptTraceIsCutWhereItTurnsMoreThan20Degrees) {
  // Cuts need more than 3 cells: steps 4 to 7 turn by 78, 84, 48 and 72
  // degrees; each cut ends at the cell just chosen. The last step finds no
  // neighbour (strength (0 + 100) / 2) and the final segment has length 0.
  classImageProcessing grid = gridWith(20, 20, kTurningPath, 100);
  grid.setMinEdgeLength(0);
  const TraceResult r = trace(grid, 10, 2);
  EXPECT_TRUE(r.kept);
  ASSERT_EQ(grid.noOfEdgeTraces(), 5);
  EXPECT_EQ(segment(grid, 0), (Segment{10, 2, 9, 5, 100}));
  EXPECT_EQ(segment(grid, 1), (Segment{9, 5, 10, 5, 100}));
  EXPECT_EQ(segment(grid, 2), (Segment{10, 5, 10, 6, 100}));
  EXPECT_EQ(segment(grid, 3), (Segment{10, 6, 10, 6, 50}));
  EXPECT_EQ(segment(grid, 4), (Segment{10, 6, 10, 6, 50}));
}

TEST(TraceFromPoint, TraceOfExactlyMinEdgeLengthCellsIsNotKept) {
  // Walking north the heading stays 0, so the strength is the last step's
  // best value: 0.
  std::vector<Cell> ten, eleven;
  for (int y = 2; y <= 11; ++y) ten.emplace_back(3, y);
  for (int y = 1; y <= 11; ++y) eleven.emplace_back(3, y);

  classImageProcessing shortRun;
  shortRun.init(20, 20);
  for (const Cell& c : ten) shortRun.setPoint(3, static_cast<std::int16_t>(c.second), 60);
  const TraceResult s = trace(shortRun, 3, 11);
  EXPECT_FALSE(s.kept);
  EXPECT_EQ(s.edgeLength, 10);
  EXPECT_EQ(shortRun.noOfEdgeTraces(), 0);

  classImageProcessing longRun;
  longRun.init(20, 20);
  for (const Cell& c : eleven) longRun.setPoint(3, static_cast<std::int16_t>(c.second), 60);
  const TraceResult l = trace(longRun, 3, 11);
  EXPECT_TRUE(l.kept);
  EXPECT_EQ(l.edgeLength, 11);
  EXPECT_EQ(l.x, 3);
  EXPECT_EQ(l.y, 1);
  ASSERT_EQ(longRun.noOfEdgeTraces(), 1);
  EXPECT_EQ(segment(longRun, 0), (Segment{3, 11, 3, 1, 0}));
}

TEST(TraceFromPoint, KeptNeedsAnUntracedCellBeyondMinEdgeLength) {
  // 11 cells: only the 11th, (3, 1), counts above 10, and it was traced before.
  classImageProcessing eleven;
  eleven.init(20, 20);
  for (std::int16_t y = 1; y <= 11; ++y) eleven.setPoint(3, y, 60);
  ASSERT_EQ(trace(eleven, 3, 1).edgeLength, 1);  // marks (3, 1) only: south is not accepted
  EXPECT_FALSE(trace(eleven, 3, 11).kept);
  EXPECT_EQ(eleven.noOfEdgeTraces(), 0);

  // 12 cells: the 11th, (3, 2), is untraced.
  classImageProcessing twelve;
  twelve.init(20, 20);
  for (std::int16_t y = 1; y <= 12; ++y) twelve.setPoint(3, y, 60);
  trace(twelve, 3, 1);
  EXPECT_TRUE(trace(twelve, 3, 12).kept);
  ASSERT_EQ(twelve.noOfEdgeTraces(), 1);
  EXPECT_EQ(segment(twelve, 0), (Segment{3, 12, 3, 1, 0}));
}

TEST(TraceFromPoint, ContinuedTraceKeepsTheCallersVisitedSetAndMergesNothing) {
  classImageProcessing grid = gridWith(20, 20, {{3, 5}, {4, 5}, {5, 5}}, 80);
  const TraceResult first = trace(grid, 4, 5);  // west onto (3, 5)
  ASSERT_EQ(first.edgeLength, 2);

  // (4, 5) is still visited, so the continuation stops after (5, 5).
  const TraceResult more = trace(grid, 5, 5, 7);
  EXPECT_FALSE(more.kept);
  EXPECT_EQ(more.edgeLength, 8);
  EXPECT_EQ(more.x, 5);
  EXPECT_EQ(cellsSet(grid.traceVisitedView()), (std::vector<Cell>{{3, 5}, {4, 5}, {5, 5}}));
  EXPECT_FALSE(grid.tracedMapView().at(5, 5));

  // (5, 5) is visited now: a further continuation from it walks nothing.
  const TraceResult again = trace(grid, 5, 5, 10);
  EXPECT_FALSE(again.kept);
  EXPECT_EQ(again.edgeLength, 10);

  // From a count of 10 an unvisited (5, 5) is the 11th cell and untraced:
  // kept, and still not merged into the traced map.
  classImageProcessing other = gridWith(20, 20, {{3, 5}, {4, 5}, {5, 5}}, 80);
  trace(other, 4, 5);
  const TraceResult fromTen = trace(other, 5, 5, 10);
  EXPECT_TRUE(fromTen.kept);
  EXPECT_EQ(fromTen.edgeLength, 11);
  ASSERT_EQ(other.noOfEdgeTraces(), 1);
  EXPECT_EQ(segment(other, 0), (Segment{5, 5, 5, 5, 0}));
  EXPECT_FALSE(other.tracedMapView().at(5, 5));

  // The next fresh trace clears every visited cell.
  trace(other, 0, 0);
  EXPECT_TRUE(cellsSet(other.traceVisitedView()).empty());
}

TEST(TraceFromPoint, FreshTraceClearsAndMergesOnlyCellsInsideTheCurrentSize) {
  // A continued trace leaves (8, 1) visited and untraced; with the width then
  // set to 5 by hand, a fresh trace clears and merges columns 0..4 only.
  classImageProcessing grid = gridWith(10, 3, {{8, 1}, {2, 1}}, 50);
  ASSERT_EQ(trace(grid, 8, 1, 1).edgeLength, 2);
  grid.setWidth(5);
  ASSERT_EQ(trace(grid, 2, 1).edgeLength, 1);
  EXPECT_EQ(cellsSet(grid.traceVisitedView()), (std::vector<Cell>{{2, 1}, {8, 1}}));
  EXPECT_EQ(cellsSet(grid.tracedMapView()), (std::vector<Cell>{{2, 1}}));
}

TEST(TraceFromPoint, StartOutsideTheSampledCellsIsRejectedUntouched) {
  classImageProcessing grid = runGrid();
  trace(grid, 20, 3);
  grid.setPoint(25, 3, 99);  // the spare column holds a value but is no start
  grid.setPoint(3, 25, 99);
  const std::vector<Cell> visited = cellsSet(grid.traceVisitedView());
  const std::vector<Cell> traced = cellsSet(grid.tracedMapView());
  const Cell starts[] = {{25, 3}, {3, 25}, {-1, 0}, {0, -1}, {30, 30}};
  for (const Cell& start : starts) {
    std::int16_t x = static_cast<std::int16_t>(start.first), y = static_cast<std::int16_t>(start.second);
    std::int16_t length = 0;
    EXPECT_EQ(kindOf([&] { grid.traceEdgesFromPoint(x, y, length); }), ErrorKind::SubscriptOutOfRange);
    EXPECT_EQ(x, start.first);
    EXPECT_EQ(length, 0);
  }
  EXPECT_EQ(cellsSet(grid.traceVisitedView()), visited);
  EXPECT_EQ(cellsSet(grid.tracedMapView()), traced);
  EXPECT_EQ(grid.traceHeading(), 270.0f);

  classImageProcessing empty;
  EXPECT_EQ(kindOf([&] { trace(empty, 0, 0); }), ErrorKind::SubscriptOutOfRange);
}

TEST(TraceFromPoint, EdgeLengthPast32767Overflows) {
  classImageProcessing grid = gridWith(5, 5, {{2, 2}}, 9);
  std::int16_t x = 2, y = 2, length = 32767;
  EXPECT_EQ(kindOf([&] { grid.traceEdgesFromPoint(x, y, length); }), ErrorKind::Overflow);
  EXPECT_EQ(length, 32767);
  EXPECT_TRUE(grid.traceVisitedView().at(2, 2));  // marked before the count failed
  EXPECT_FALSE(grid.tracedMapView().at(2, 2));
}

// --- the segment table ---

TEST(SegmentTable, The201stSegmentIsDropped) {
  classImageProcessing grid;
  for (int i = 0; i < 201; ++i)
    Peer::addEdgeTrace(grid, static_cast<std::int16_t>(i), 1, 2, 3, static_cast<float>(i));
  EXPECT_EQ(grid.noOfEdgeTraces(), 200);
  EXPECT_EQ(segment(grid, 199), (Segment{199, 1, 2, 3, 199}));
  EXPECT_EQ(segment(grid, 200), (Segment{0, 0, 0, 0, 0}));
}

TEST(SegmentTable, TracingGoesOnWhenTheTableIsFull) {
  classImageProcessing grid = runGrid();
  for (int i = 0; i < 200; ++i) Peer::addEdgeTrace(grid, 0, 0, 0, 0, 1.0f);
  EXPECT_TRUE(trace(grid, 20, 3).kept);
  EXPECT_EQ(grid.noOfEdgeTraces(), 200);
  EXPECT_EQ(segment(grid, 199), (Segment{0, 0, 0, 0, 1}));
  EXPECT_EQ(cellsSet(grid.tracedMapView()), rowOfCells(5, 20, 3));
}

// --- chain order ---

void addSegments(classImageProcessing& grid, std::initializer_list<Segment> segments) {
  for (const Segment& s : segments)
    Peer::addEdgeTrace(grid, static_cast<std::int16_t>(s[0]), static_cast<std::int16_t>(s[1]),
                       static_cast<std::int16_t>(s[2]), static_cast<std::int16_t>(s[3]), s[4]);
}

const Segment kA{0, 0, 5, 0, 1};
const Segment kB{20, 20, 25, 20, 2};
const Segment kC{6, 1, 10, 1, 3};

TEST(ChainOrder, EachSegmentIsFollowedByTheNearestStart) {
  classImageProcessing grid;
  addSegments(grid, {kA, kB, kC});
  Peer::edgeTraces(grid).at(5, 1) = 11.0f;  // the spare column stays with its row number
  Peer::edgeTraces(grid).at(5, 2) = 22.0f;
  Peer::chainEdgeTraces(grid);
  EXPECT_EQ(segment(grid, 0), kA);
  EXPECT_EQ(segment(grid, 1), kC);
  EXPECT_EQ(segment(grid, 2), kB);
  EXPECT_EQ(grid.edgeTracesView().at(5, 1), 11.0f);
  EXPECT_EQ(grid.edgeTracesView().at(5, 2), 22.0f);
}

TEST(ChainOrder, EqualDistancesGoToTheLowestRow) {
  // After A (ending at (5, 0)) both B and C start 1 away: B, the lower row, wins.
  const Segment a{0, 0, 5, 0, 1}, x{50, 50, 51, 50, 2}, b{6, 0, 7, 0, 3}, c{4, 0, 3, 0, 4};
  classImageProcessing grid;
  addSegments(grid, {a, x, b, c});
  Peer::chainEdgeTraces(grid);
  EXPECT_EQ(segment(grid, 0), a);
  EXPECT_EQ(segment(grid, 1), b);
  EXPECT_EQ(segment(grid, 2), c);
  EXPECT_EQ(segment(grid, 3), x);
}

TEST(ChainOrder, SquaredDistanceAbove32767Overflows) {
  classImageProcessing wide;
  addSegments(wide, {{0, 0, 0, 0, 1}, {200, 0, 201, 0, 2}, {1, 0, 1, 1, 3}});
  EXPECT_EQ(kindOf([&] { Peer::chainEdgeTraces(wide); }), ErrorKind::Overflow);  // 200 x 200
  EXPECT_EQ(segment(wide, 1), (Segment{200, 0, 201, 0, 2}));

  classImageProcessing diagonal;  // 130^2 + 130^2 = 33800
  addSegments(diagonal, {{0, 0, 0, 0, 1}, {130, 130, 131, 131, 2}});
  EXPECT_EQ(kindOf([&] { Peer::chainEdgeTraces(diagonal); }), ErrorKind::Overflow);

  classImageProcessing largest;  // 127^2 + 127^2 = 32258 still fits
  addSegments(largest, {{0, 0, 0, 0, 1}, {127, 127, 0, 0, 2}});
  Peer::chainEdgeTraces(largest);
  EXPECT_EQ(largest.noOfEdgeTraces(), 2);
}

TEST(ChainOrder, NoOrOneSegmentIsLeftAlone) {
  classImageProcessing grid;
  Peer::chainEdgeTraces(grid);
  addSegments(grid, {kB});
  Peer::chainEdgeTraces(grid);
  EXPECT_EQ(segment(grid, 0), kB);
}

// --- orientation histogram and arcCos ---

std::array<std::int16_t, 19> histogramOf(std::initializer_list<Segment> segments) {
  classImageProcessing grid;
  addSegments(grid, segments);
  Peer::buildAngleHistogram(grid);
  return grid.angleHistogramView().values();
}

std::array<std::int16_t, 19> bins(std::initializer_list<std::pair<int, int>> counts) {
  std::array<std::int16_t, 19> h{};
  for (const auto& [bin, count] : counts) h[static_cast<std::size_t>(bin)] = static_cast<std::int16_t>(count);
  return h;
}

TEST(AngleHistogram, VerticalSegmentFallsInBinZero) {
  // r = 1 is clamped to 0.9999: 0.81 degrees.
  EXPECT_EQ(histogramOf({{0, 0, 0, 5, 1}}), bins({{0, 5}}));
  EXPECT_EQ(histogramOf({{0, 5, 0, 0, 1}}), bins({{0, 5}}));  // the vertical sign is ignored
}

TEST(AngleHistogram, HorizontalSegmentsFallEitherSideOf90Degrees) {
  EXPECT_EQ(histogramOf({{0, 0, 5, 0, 1}}), bins({{8, 5}}));  // end east: 180 - 90.05
  EXPECT_EQ(histogramOf({{5, 0, 0, 0, 1}}), bins({{9, 5}}));  // end west: 90.05
}

TEST(AngleHistogram, DiagonalUsesTheRoundedLength) {
  // dx = dy = 3: length round(4.24) = 4, r = 0.75, 41.43 degrees.
  EXPECT_EQ(histogramOf({{3, 0, 0, 3, 1}}), bins({{4, 4}}));
  EXPECT_EQ(histogramOf({{0, 0, 3, 3, 1}}), bins({{13, 4}}));  // end east: 138.57 degrees
}

TEST(AngleHistogram, LengthsAddUpAndZeroLengthsAreSkipped) {
  EXPECT_EQ(histogramOf({{0, 0, 0, 5, 1}, {2, 2, 2, 2, 1}, {7, 1, 7, 4, 1}, {5, 0, 0, 0, 1}}),
            bins({{0, 8}, {9, 5}}));
}

TEST(AngleHistogram, RebuildClearsBinsZeroTo17AndNeverTouches18) {
  classImageProcessing grid;
  Peer::angleHistogram(grid).at(3) = 9;
  Peer::angleHistogram(grid).at(18) = 7;
  addSegments(grid, {{5, 0, 0, 0, 1}});
  Peer::buildAngleHistogram(grid);
  EXPECT_EQ(grid.angleHistogramView().values(), bins({{9, 5}, {18, 7}}));
}

TEST(AngleHistogram, SquaredLengthAbove32767Overflows) {
  classImageProcessing grid;
  addSegments(grid, {{0, 0, 200, 0, 1}});
  EXPECT_EQ(kindOf([&] { Peer::buildAngleHistogram(grid); }), ErrorKind::Overflow);
}

// --- raster search ---

TEST(RasterSearch, GridOfZerosStartsNothing) {
  classImageProcessing grid;
  grid.init(10, 10);
  Peer::angleHistogram(grid).at(5) = 3;
  grid.traceEdges();
  EXPECT_EQ(grid.noOfEdgeTraces(), 0);
  EXPECT_EQ(grid.angleHistogramView().values(), bins({}));
  EXPECT_TRUE(cellsSet(grid.tracedMapView()).empty());
}

TEST(RasterSearch, TheFirstCellIsNeverExamined) {
  classImageProcessing grid = gridWith(10, 10, {{0, 0}}, 200);
  grid.traceEdges();
  EXPECT_FALSE(grid.tracedMapView().at(0, 0));
}

TEST(RasterSearch, RunIsCoveredBySixteenTracesWithoutASegment) {
  classImageProcessing grid = runGrid();
  grid.traceEdges();
  EXPECT_EQ(grid.noOfEdgeTraces(), 0);
  EXPECT_EQ(cellsSet(grid.tracedMapView()), rowOfCells(5, 20, 3));
  // The last trace started at (20, 3) and walked the whole run west.
  EXPECT_EQ(cellsSet(grid.traceVisitedView()), rowOfCells(5, 20, 3));
  EXPECT_EQ(grid.probeHeading(), 270.0f);
}

TEST(RasterSearch, ThresholdIsStrict) {
  classImageProcessing grid = gridWith(10, 10, {{4, 4}}, 20);
  grid.setTraceEdgesThresh(20);
  grid.traceEdges();
  EXPECT_FALSE(grid.tracedMapView().at(4, 4));
  grid.setTraceEdgesThresh(19);
  grid.traceEdges();
  EXPECT_TRUE(grid.tracedMapView().at(4, 4));
}

// The turning path at 40 (below the threshold of 50, so none of it starts a
// trace) from a start of 100 at (10, 2); the trace ends at (10, 6), so the
// scan jumps over the start cell at (15, 3).
classImageProcessing jumpGrid(std::int16_t minEdgeLength) {
  classImageProcessing grid = gridWith(20, 20, kTurningPath, 40);
  grid.setPoint(10, 2, 100);
  grid.setPoint(15, 3, 100);
  grid.setTraceEdgesThresh(50);
  grid.setMinEdgeLength(minEdgeLength);
  return grid;
}

TEST(RasterSearch, ANotKeptLastTraceEndsTheSearch) {
  classImageProcessing grid = jumpGrid(10);
  grid.traceEdges();
  EXPECT_TRUE(grid.tracedMapView().at(10, 6));
  EXPECT_FALSE(grid.tracedMapView().at(15, 3));
  EXPECT_EQ(grid.noOfEdgeTraces(), 0);
}

TEST(RasterSearch, AKeptLastTraceStartsAnotherPass) {
  classImageProcessing grid = jumpGrid(0);
  grid.traceEdges();
  EXPECT_TRUE(grid.tracedMapView().at(15, 3));
  EXPECT_EQ(grid.noOfEdgeTraces(), 6);  // five from the path, one from (15, 3)
}

TEST(RasterSearch, SegmentsAreChainedAndSummedAfterTheSearch) {
  classImageProcessing grid;
  grid.init(30, 30);
  addSegments(grid, {kA, kB, kC});  // nothing to trace: the old rows stay
  grid.traceEdges();
  EXPECT_EQ(segment(grid, 1), kC);
  EXPECT_EQ(segment(grid, 2), kB);
  // A and B end 5 east of their start (bin 8); C 4 east (bin 8).
  EXPECT_EQ(grid.angleHistogramView().values(), bins({{8, 14}}));
}

// The raster search written out step by step from its rule, through the
// public trace operation, without chaining or the histogram.
void rasterSearchStepByStep(classImageProcessing& grid) {
  std::int16_t x = 0, y = 0;
  bool found = false;
  for (;;) {
    ++x;
    if (x == grid.width()) {
      ++y;
      x = 0;
    }
    if (y < grid.height()) {
      if (grid.getPoint(x, y) > grid.TraceEdgesThresh() && !grid.tracedMapView().at(x, y)) {
        std::int16_t length = 0;
        found = grid.traceEdgesFromPoint(x, y, length);
      }
    } else {
      x = 0;
      y = 0;
      if (!found) return;
      found = false;
    }
  }
}

// Rounded blobs and strokes on a 64 x 48 grid with some noise: many traces
// that stop before their start in scan order.
classImageProcessing blobGrid(std::uint32_t seed, int noisePercent) {
  classImageProcessing grid;
  grid.init(64, 48);
  std::mt19937 random(seed);
  for (std::int16_t x = 0; x < 64; ++x)
    for (std::int16_t y = 0; y < 48; ++y) {
      const int ring = ((x - 30) * (x - 30) + (y - 20) * (y - 20)) / 40;
      int v = ring % 3 == 0 ? 60 + ring : 0;
      if (x == y || x + y == 50) v = 200;
      if (static_cast<int>(random() % 100) < noisePercent) v = static_cast<int>(random() % 256);
      grid.setPoint(x, y, static_cast<std::uint8_t>(v));
    }
  return grid;
}

TEST(RasterSearch, MatchesTheStepByStepRule) {
  for (const int noise : {0, 10, 60}) {
    for (const std::int16_t threshold : {0, 40, -3}) {
      for (const std::int16_t minLength : {10, 3}) {
        SCOPED_TRACE(testing::Message() << noise << " " << threshold << " " << minLength);
        classImageProcessing searched = blobGrid(static_cast<std::uint32_t>(noise + 1), noise);
        searched.setTraceEdgesThresh(threshold);
        searched.setMinEdgeLength(minLength);
        classImageProcessing stepped = searched;
        searched.traceEdges();
        rasterSearchStepByStep(stepped);
        Peer::chainEdgeTraces(stepped);
        Peer::buildAngleHistogram(stepped);

        EXPECT_EQ(cellsSet(searched.tracedMapView()), cellsSet(stepped.tracedMapView()));
        EXPECT_EQ(cellsSet(searched.traceVisitedView()), cellsSet(stepped.traceVisitedView()));
        ASSERT_EQ(searched.noOfEdgeTraces(), stepped.noOfEdgeTraces());
        for (int row = 0; row < searched.noOfEdgeTraces(); ++row) EXPECT_EQ(segment(searched, row), segment(stepped, row));
        EXPECT_EQ(searched.angleHistogramView().values(), stepped.angleHistogramView().values());
        EXPECT_EQ(searched.probeHeading(), stepped.probeHeading());
        EXPECT_EQ(searched.traceHeading(), stepped.traceHeading());
      }
    }
  }
}

// --- spiral search ---

TEST(SpiralProbe, StepsUseThreePointOneFourForPi) {
  classImageProcessing grid;
  grid.init(10, 10);
  Peer::spiralProbeStep(grid, true);
  EXPECT_EQ(grid.probeX(), 1.0f);
  EXPECT_EQ(grid.probeY(), 0.0f);
  EXPECT_EQ(grid.probeHeading(), 90.0f);
  EXPECT_EQ(grid.probeTurn(), 90);
  // cos(1.57) = 0.000796, sin(1.57) = 0.9999997: still in cell (1, 0).
  Peer::spiralProbeStep(grid, false);
  EXPECT_NEAR(grid.probeX(), 1.000796, 1e-6);
  EXPECT_NEAR(grid.probeY(), 0.9999997, 1e-6);
  EXPECT_LT(grid.probeY(), 1.0f);
  Peer::spiralProbeStep(grid, false);  // heading 180
  Peer::spiralProbeStep(grid, false);  // heading 270: x goes below 0 and is clamped
  EXPECT_EQ(grid.probeX(), 0.0f);
  EXPECT_EQ(grid.probeHeading(), 360.0f);
  Peer::spiralProbeStep(grid, false);  // 450 passes 360: heading 0, turn one less
  EXPECT_EQ(grid.probeHeading(), 0.0f);
  EXPECT_EQ(grid.probeTurn(), 89);
}

TEST(SpiralProbe, IsClampedToTheGrid) {
  classImageProcessing grid;
  grid.init(1, 1);
  Peer::spiralProbeStep(grid, true);  // x would be 1: clamped to width - 1
  EXPECT_EQ(grid.probeX(), 0.0f);
}

TEST(SpiralSearch, GridOfZerosEndsWhenTheTurnRunsOut) {
  classImageProcessing grid;
  grid.init(10, 10);
  grid.traceEdges_old();
  EXPECT_EQ(grid.probeTurn(), 0);
  EXPECT_EQ(grid.noOfEdgeTraces(), 0);
  EXPECT_TRUE(cellsSet(grid.tracedMapView()).empty());
}

TEST(SpiralSearch, NegativeThresholdStillEnds) {
  classImageProcessing zeros;
  zeros.init(10, 10);
  zeros.setTraceEdgesThresh(-1);
  zeros.traceEdges_old();
  EXPECT_EQ(zeros.probeTurn(), 0);

  classImageProcessing spots = gridWith(10, 10, {{1, 0}, {0, 1}, {5, 5}}, 3);
  spots.setTraceEdgesThresh(-32768);
  spots.traceEdges_old();
  EXPECT_EQ(spots.probeTurn(), 0);
  EXPECT_TRUE(spots.tracedMapView().at(1, 0));
}

TEST(SpiralSearch, FirstProbeStepHitsCellOneZero) {
  classImageProcessing grid = gridWith(10, 10, {{1, 0}}, 50);
  grid.setMinEdgeLength(0);
  grid.traceEdges_old();
  EXPECT_TRUE(grid.tracedMapView().at(1, 0));
  ASSERT_EQ(grid.noOfEdgeTraces(), 1);
  EXPECT_EQ(segment(grid, 0), (Segment{1, 0, 1, 0, 0}));
  EXPECT_EQ(grid.probeTurn(), 0);
}

TEST(SpiralSearch, SegmentsAreNotChained) {
  classImageProcessing grid;
  grid.init(10, 10);
  addSegments(grid, {kA, kB, kC});
  grid.traceEdges_old();
  EXPECT_EQ(segment(grid, 1), kB);
  EXPECT_EQ(segment(grid, 2), kC);
  EXPECT_EQ(grid.angleHistogramView().values(), bins({{8, 14}}));
}

TEST(SpiralSearch, EmptyGridHasNoCellForTheProbe) {
  classImageProcessing never;
  EXPECT_EQ(kindOf([&] { never.traceEdges_old(); }), ErrorKind::SubscriptOutOfRange);
  classImageProcessing empty;
  empty.init(0, 0);
  EXPECT_EQ(kindOf([&] { empty.traceEdges_old(); }), ErrorKind::SubscriptOutOfRange);
}

}  // namespace
}  // namespace tavro

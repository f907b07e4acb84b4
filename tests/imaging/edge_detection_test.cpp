#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "imaging/image_processing.h"
#include "tests/imaging/error_kind_of.h"
#include "tests/imaging/image_processing_test_peer.h"

namespace tavro {
namespace {

// Cells of a 3x3 window, top row first, written with the top-left cell at (x, y).
void drawWindow(classImageProcessing& grid, int x, int y, const std::array<std::uint8_t, 9>& cells) {
  for (int n = 0; n < 9; ++n)
    grid.setPoint(static_cast<std::int16_t>(x + n % 3), static_cast<std::int16_t>(y + n / 3),
                  cells[static_cast<std::size_t>(n)]);
}

void fill(classImageProcessing& grid, std::uint8_t value) {
  for (std::int16_t x = 0; x < grid.width(); ++x)
    for (std::int16_t y = 0; y < grid.height(); ++y) grid.setPoint(x, y, value);
}

// The class a single 3x3 window receives (on a 3 x 3 grid, window (0, 0)).
int classOfWindow(const std::array<std::uint8_t, 9>& cells) {
  classImageProcessing grid;
  grid.init(3, 3);
  drawWindow(grid, 0, 0, cells);
  grid.getEdges();
  return grid.edgeGridView().at(0, 0);
}

int classOfUniformWindow(std::uint8_t value) {
  std::array<std::uint8_t, 9> cells{};
  cells.fill(value);
  return classOfWindow(cells);
}

std::array<std::int16_t, 5> counts(const classImageProcessing& grid) {
  std::array<std::int16_t, 5> c{};
  for (int i = 0; i < 5; ++i) c[static_cast<std::size_t>(i)] = grid.edgeCountsView().at(i);
  return c;
}

// --- pattern matching and the dark-window rule ---

TEST(EdgePatternMatch, AllZeroGridGivesNoEdgesAndResetsTheCounts) {
  classImageProcessing grid;
  grid.init(9, 9);
  drawWindow(grid, 2, 2, {0, 0, 255, 0, 255, 0, 255, 0, 0});
  grid.getEdges();
  ASSERT_EQ(grid.edgeCountsView().at(2), 1);

  fill(grid, 0);
  grid.getEdges();
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
  for (int ex = 0; ex <= grid.edgesWidth(); ++ex)
    for (int ey = 0; ey <= grid.edgesHeight(); ++ey) EXPECT_EQ(grid.edgeGridView().at(ex, ey), 0);
}

TEST(EdgePatternMatch, EveryIdealWindowGetsTheClassOfItsPattern) {
  for (const EdgePattern& pattern : kStandardEdgePatternSet) {
    std::array<std::uint8_t, 9> cells{};
    for (std::size_t n = 0; n < 9; ++n) cells[n] = pattern[n] == 1 ? 255 : 0;
    classImageProcessing grid;
    grid.init(3, 3);
    drawWindow(grid, 0, 0, cells);
    grid.getEdges();
    EXPECT_EQ(grid.edgeGridView().at(0, 0), pattern[9]);
    std::array<std::int16_t, 5> expected{};
    expected[static_cast<std::size_t>(pattern[9] - 1)] = 1;
    EXPECT_EQ(counts(grid), expected);
  }
}

TEST(EdgePatternMatch, RisingDiagonalRunsFromLowerLeftToUpperRight) {
  // 255 at the top-right, centre and bottom-left cells: slot 6 scores 0.
  EXPECT_EQ(classOfWindow({0, 0, 255, 0, 255, 0, 255, 0, 0}), kRisingDiagonal);
  EXPECT_EQ(classOfWindow({255, 0, 0, 0, 255, 0, 0, 0, 255}), kFallingDiagonal);
}

TEST(EdgePatternMatch, HalfBrightTopRowIsHorizontal) {
  // Sum 384; slot 0 differs by 3 x 127 = 381, 381 / 9 = 42.3 -> 42.
  EXPECT_EQ(classOfWindow({128, 128, 128, 0, 0, 0, 0, 0, 0}), kHorizontal);
}

TEST(EdgePatternMatch, ATieGoesToTheEarlierSlot) {
  // Top row and left column lit: slot 0 (horizontal) and slot 3 (vertical)
  // both differ by 2 x 255 = 510, score 57; the horizontal slot comes first.
  EXPECT_EQ(classOfWindow({255, 255, 255, 255, 0, 0, 255, 0, 0}), kHorizontal);
}

TEST(EdgePatternMatch, DarkWindowsAreNeverEdges) {
  // Sum 270 is a mean of exactly 30: dark, whatever the patterns say.
  EXPECT_EQ(classOfUniformWindow(30), kNoEdge);
  EXPECT_EQ(classOfWindow({0, 0, 0, 0, 0, 0, 90, 90, 90}), kNoEdge);  // 270, a perfect bottom row shape
  classImageProcessing grid;
  grid.init(3, 3);
  fill(grid, 30);
  grid.getEdges();
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
}

TEST(EdgePatternMatch, UniformWindowsJustAboveDarkAreRisingDiagonals) {
  // 31: slot 7 differs by 2 x 224 + 7 x 31 = 665 -> 74, beating slot 0's 95.
  EXPECT_EQ(classOfUniformWindow(31), kRisingDiagonal);
  // 40: three-cell patterns score 98, two-cell ones 79 (slot 7 first).
  EXPECT_EQ(classOfUniformWindow(40), kRisingDiagonal);
  // 77: 2 x 178 + 7 x 77 = 895 -> 99, still below 100.
  EXPECT_EQ(classOfUniformWindow(77), kRisingDiagonal);
  // 78: 2 x 177 + 7 x 78 = 900 -> exactly 100: no pattern matches.
  EXPECT_EQ(classOfUniformWindow(78), kNoEdge);
  EXPECT_EQ(classOfUniformWindow(255), kNoEdge);
}

TEST(EdgePatternMatch, UnmatchedWindowIsNotCounted) {
  classImageProcessing grid;
  grid.init(3, 3);
  fill(grid, 78);
  grid.getEdges();
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
}

TEST(EdgeDetectionScan, SpareColumnAndRowAreNeverExamined) {
  classImageProcessing grid;
  grid.init(7, 7);  // edgesWidth 4; windows at x, y = 0, 2, 4
  for (std::int16_t i = 0; i <= 7; ++i) {
    grid.setPoint(7, i, 255);
    grid.setPoint(i, 7, 255);
  }
  for (std::int16_t y = 4; y <= 6; ++y) grid.setPoint(6, y, 255);  // right column of window (4, 4)
  grid.getEdges();
  EXPECT_EQ(grid.edgeGridView().at(2, 2), kVertical);
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 1, 0, 0, 0}));
  for (int i = 0; i <= 4; ++i) {
    EXPECT_EQ(grid.edgeGridView().at(3, i), 0);
    EXPECT_EQ(grid.edgeGridView().at(4, i), 0);
    EXPECT_EQ(grid.edgeGridView().at(i, 3), 0);
    EXPECT_EQ(grid.edgeGridView().at(i, 4), 0);
  }
}

TEST(EdgeDetectionScan, HundredByHundredWritesColumnsZeroToFortyEight) {
  classImageProcessing grid;
  grid.init(100, 100);
  ASSERT_EQ(grid.edgesWidth(), 50);
  fill(grid, 50);  // every window a rising diagonal (slot 7 scores 84)
  grid.getEdges();
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 0, 49 * 49, 0, 0}));
  // The border of the edge map is never cleaned: row 0 and column 0 keep the match.
  EXPECT_EQ(grid.edgeGridView().at(0, 0), kRisingDiagonal);
  EXPECT_EQ(grid.edgeGridView().at(48, 0), kRisingDiagonal);
  for (int i = 0; i <= 50; ++i) {
    EXPECT_EQ(grid.edgeGridView().at(49, i), 0);
    EXPECT_EQ(grid.edgeGridView().at(50, i), 0);
    EXPECT_EQ(grid.edgeGridView().at(i, 49), 0);
    EXPECT_EQ(grid.edgeGridView().at(i, 50), 0);
  }
}

TEST(EdgeDetectionScan, GridsNarrowerThanThreeExamineNoWindow) {
  classImageProcessing grid;
  grid.init(9, 9);
  fill(grid, 50);
  grid.getEdges();
  ASSERT_GT(grid.edgeCountsView().at(2), 0);
  grid.init(2, 10);  // init keeps the counters
  fill(grid, 50);
  grid.getEdges();
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
  EXPECT_EQ(grid.edgeGridView().at(0, 0), 0);
}

TEST(EdgeDetectionScan, BeforeInitNothingIsExaminedAndHandSetSizesFail) {
  classImageProcessing grid;
  grid.getEdges();
  EXPECT_EQ(counts(grid), (std::array<std::int16_t, 5>{0, 0, 0, 0, 0}));
  grid.setWidth(10);
  grid.setHeight(10);
  EXPECT_EQ(kindOf([&] { grid.getEdges(); }), ErrorKind::SubscriptOutOfRange);
}

TEST(EdgeDetectionScan, CounterPast32767Overflows) {
  classImageProcessing grid;
  grid.init(400, 400);  // 199 x 199 windows, all rising diagonals
  fill(grid, 50);
  EXPECT_EQ(kindOf([&] { grid.getEdges(); }), ErrorKind::Overflow);
  EXPECT_EQ(grid.edgeCountsView().at(2), 32767);
  // Window number 32768 (column 164, row 131) was classed, the next one not;
  // the clean-up did not run (it would clear inner cells of a solid area).
  EXPECT_EQ(grid.edgeGridView().at(164, 131), kRisingDiagonal);
  EXPECT_EQ(grid.edgeGridView().at(164, 132), 0);
  EXPECT_EQ(grid.edgeGridView().at(1, 1), kRisingDiagonal);
}

// --- the clean-up rules on hand-made maps ---

// An edge map 0..7 x 0..7 (from a 14 x 14 grid), all 0 but the given cells.
struct EdgeMap {
  classImageProcessing grid;
  EdgeMap() { grid.init(14, 14); }
  void set(int ex, int ey, std::uint8_t code) { ImageProcessingTestPeer::edgeGrid(grid).at(ex, ey) = code; }
  int at(int ex, int ey) const { return grid.edgeGridView().at(ex, ey); }
  std::vector<int> row(int ey, int fromX, int count) const {
    std::vector<int> r;
    for (int i = 0; i < count; ++i) r.push_back(at(fromX + i, ey));
    return r;
  }
  std::vector<int> column(int ex, int fromY, int count) const {
    std::vector<int> c;
    for (int i = 0; i < count; ++i) c.push_back(at(ex, fromY + i));
    return c;
  }
};

EdgeMap rowMap(std::initializer_list<std::uint8_t> codes) {
  EdgeMap map;
  int x = 2;
  for (std::uint8_t code : codes) map.set(x++, 3, code);
  return map;
}

EdgeMap columnMap(std::initializer_list<std::uint8_t> codes) {
  EdgeMap map;
  int y = 2;
  for (std::uint8_t code : codes) map.set(3, y++, code);
  return map;
}

TEST(EdgeCleanUp, HorizontalRunsKeepTheirRightmostCellUnlessHorizontal) {
  EdgeMap threes = rowMap({3, 3, 3});
  threes.grid.getEdges_secondary();
  EXPECT_EQ(threes.row(3, 2, 3), (std::vector<int>{0, 0, 3}));

  EdgeMap ones = rowMap({1, 1, 1});
  ones.grid.getEdges_secondary();
  EXPECT_EQ(ones.row(3, 2, 3), (std::vector<int>{1, 1, 1}));
}

TEST(EdgeCleanUp, RowGapIsBridgedAsHorizontal) {
  EdgeMap map = rowMap({2, 0, 4});
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.row(3, 2, 3), (std::vector<int>{2, 1, 4}));
}

TEST(EdgeCleanUp, ColumnGapIsBridgedAsVertical) {
  EdgeMap map = columnMap({3, 0, 5});
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.column(3, 2, 3), (std::vector<int>{3, 2, 5}));
}

TEST(EdgeCleanUp, VerticalRunsKeepTheirLowestCellUnlessVertical) {
  EdgeMap fours = columnMap({4, 4, 4});
  fours.grid.getEdges_secondary();
  EXPECT_EQ(fours.column(3, 2, 3), (std::vector<int>{0, 0, 4}));

  EdgeMap twos = columnMap({2, 2, 2});
  twos.grid.getEdges_secondary();
  EXPECT_EQ(twos.column(3, 2, 3), (std::vector<int>{2, 2, 2}));
}

TEST(EdgeCleanUp, BlockOfHorizontalsKeepsItsBottomRow) {
  EdgeMap map;
  for (int x = 2; x <= 4; ++x)
    for (int y = 2; y <= 4; ++y) map.set(x, y, 1);
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.row(2, 2, 3), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(map.row(3, 2, 3), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(map.row(4, 2, 3), (std::vector<int>{1, 1, 1}));
}

TEST(EdgeCleanUp, BlockOfVerticalsKeepsItsRightColumn) {
  EdgeMap map;
  for (int x = 2; x <= 4; ++x)
    for (int y = 2; y <= 4; ++y) map.set(x, y, 2);
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.column(2, 2, 3), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(map.column(3, 2, 3), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(map.column(4, 2, 3), (std::vector<int>{2, 2, 2}));
}

TEST(EdgeCleanUp, CellInsideASolidAreaIsCleared) {
  // Column 2 of verticals survives its own rules (the code 2 is not thinned
  // vertically); at (3, 3) the bridge first writes 1, then all eight
  // neighbours are set and the interior rule clears it.
  EdgeMap map;
  for (int y = 2; y <= 4; ++y) {
    map.set(2, y, 2);
    map.set(4, y, 5);
  }
  map.set(3, 2, 1);
  map.set(3, 3, 4);
  map.set(3, 4, 3);
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.column(2, 2, 3), (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(map.at(3, 2), 1);
  EXPECT_EQ(map.at(3, 3), 0);
}

TEST(EdgeCleanUp, BorderCellsAreReadButNeverChanged) {
  EdgeMap map;
  map.set(0, 3, 3);
  map.set(0, 4, 3);
  map.set(7, 3, 3);
  map.set(1, 0, 4);
  map.set(3, 0, 4);
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.at(0, 3), 3);  // a vertical run of 3s, but on the border
  EXPECT_EQ(map.at(0, 4), 3);
  EXPECT_EQ(map.at(7, 3), 3);
  EXPECT_EQ(map.at(1, 0), 4);
  EXPECT_EQ(map.at(2, 0), 0);  // a border gap is not bridged
  EXPECT_EQ(map.at(3, 0), 4);
}

TEST(EdgeCleanUp, EachRuleSeesTheCellsAlreadyChanged) {
  // Row 3, 0, 3, 3: the gap at x = 3 is bridged to 1 first; the 3 at x = 4
  // then has a set left (the new 1) and right neighbour and becomes 1 too,
  // so nothing is thinned away: 3, 1, 1, 3.
  EdgeMap map = rowMap({3, 0, 3, 3});
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.row(3, 2, 4), (std::vector<int>{3, 1, 1, 3}));
}

TEST(EdgeCleanUp, RunningTwiceAppliesTheRulesAgain) {
  // The gap at (3, 3) is bridged vertically to 2 after its left neighbour, a
  // 2, was already looked at; only the second run thins that pair.
  EdgeMap map;
  map.set(2, 3, 2);
  map.set(3, 2, 5);
  map.set(3, 4, 5);
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.row(3, 2, 2), (std::vector<int>{2, 2}));
  map.grid.getEdges_secondary();
  EXPECT_EQ(map.row(3, 2, 2), (std::vector<int>{0, 2}));
  EXPECT_EQ(map.column(3, 2, 3), (std::vector<int>{5, 2, 5}));
}

TEST(EdgeCleanUp, GetEdgesCountsBeforeItCleansUp) {
  // Row 3 lit from x = 2 to 8: windows (1..3, 1) are 000/111/000, three
  // horizontals that stay whole.
  classImageProcessing lines;
  lines.init(14, 14);
  for (std::int16_t x = 2; x <= 8; ++x) lines.setPoint(x, 3, 255);
  lines.getEdges();
  EXPECT_EQ(counts(lines), (std::array<std::int16_t, 5>{3, 0, 0, 0, 0}));
  for (int ex = 1; ex <= 3; ++ex) EXPECT_EQ(lines.edgeGridView().at(ex, 1), kHorizontal);

  // Half diagonals at the top-middle and middle-left of windows (1..3, 1):
  // three rising diagonals (the first two also see the next window's cell at
  // middle-right and still score 28 on slot 7); thinning keeps the last one.
  classImageProcessing diagonals;
  diagonals.init(14, 14);
  for (int ex = 1; ex <= 3; ++ex) {
    diagonals.setPoint(static_cast<std::int16_t>(2 * ex + 1), 2, 255);
    diagonals.setPoint(static_cast<std::int16_t>(2 * ex), 3, 255);
  }
  diagonals.getEdges();
  EXPECT_EQ(counts(diagonals), (std::array<std::int16_t, 5>{0, 0, 3, 0, 0}));
  EXPECT_EQ(diagonals.edgeGridView().at(1, 1), 0);
  EXPECT_EQ(diagonals.edgeGridView().at(2, 1), 0);
  EXPECT_EQ(diagonals.edgeGridView().at(3, 1), kRisingDiagonal);
}

}  // namespace
}  // namespace tavro

// The table of 3x3 edge patterns that init installs.

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "imaging/image_processing.h"

namespace tavro {
namespace {

// The standard set, written out from the cell diagrams (top/middle/bottom).
const std::array<EdgePattern, 14> kExpectedSet = {{
    {1, 1, 1, 0, 0, 0, 0, 0, 0, 1},  // 111/000/000
    {0, 0, 0, 1, 1, 1, 0, 0, 0, 1},  // 000/111/000
    {0, 0, 0, 0, 0, 0, 1, 1, 1, 1},  // 000/000/111
    {1, 0, 0, 1, 0, 0, 1, 0, 0, 2},  // 100/100/100
    {0, 1, 0, 0, 1, 0, 0, 1, 0, 2},  // 010/010/010
    {0, 0, 1, 0, 0, 1, 0, 0, 1, 2},  // 001/001/001
    {0, 0, 1, 0, 1, 0, 1, 0, 0, 3},  // 001/010/100
    {0, 1, 0, 1, 0, 0, 0, 0, 0, 3},  // 010/100/000
    {0, 0, 0, 0, 0, 1, 0, 1, 0, 3},  // 000/001/010
    {1, 0, 0, 0, 1, 0, 0, 0, 1, 4},  // 100/010/001
    {0, 1, 0, 0, 0, 1, 0, 0, 0, 4},  // 010/001/000
    {0, 0, 0, 1, 0, 0, 0, 1, 0, 4},  // 000/100/010
    {1, 0, 1, 0, 1, 0, 1, 0, 1, 5},  // 101/010/101
    {0, 1, 0, 1, 1, 1, 0, 1, 0, 5},  // 010/111/010
}};

struct Cell {
  int column;
  int row;
};

std::vector<Cell> onesOf(const EdgePattern& pattern) {
  std::vector<Cell> ones;
  for (int position = 0; position < 9; ++position)
    if (pattern[static_cast<std::size_t>(position)] == 1) ones.push_back({position % 3, position / 3});
  return ones;
}

// The score of a window against a pattern: sum of |v - 255 p| over the nine cells.
int windowScore(const std::array<int, 9>& window, const EdgePattern& pattern) {
  int score = 0;
  for (std::size_t i = 0; i < 9; ++i) score += std::abs(window[i] - 255 * pattern[i]);
  return score;
}

TEST(EdgePatterns, EmptyUntilInit) {
  classImageProcessing grid;
  for (int slot = 0; slot < 15; ++slot) EXPECT_FALSE(grid.edgePatternsView().at(slot).has_value());
}

TEST(EdgePatterns, InitInstallsTheStandardSetAndLeavesSlot14Empty) {
  classImageProcessing grid;
  grid.init(5, 5);
  for (int slot = 0; slot < 14; ++slot) {
    ASSERT_TRUE(grid.edgePatternsView().at(slot).has_value()) << "slot " << slot;
    EXPECT_EQ(*grid.edgePatternsView().at(slot), kExpectedSet[static_cast<std::size_t>(slot)])
        << "slot " << slot;
  }
  EXPECT_FALSE(grid.edgePatternsView().at(14).has_value());
}

TEST(EdgePatterns, ASecondInitLeavesTheSameTable) {
  classImageProcessing grid;
  grid.init(5, 5);
  const auto first = grid.edgePatternsView().values();
  grid.init(9, 3);
  EXPECT_EQ(grid.edgePatternsView().values(), first);
}

TEST(EdgePatterns, CellsAreZeroOrOneWithAClassFromOneToFive) {
  const std::array<std::size_t, 14> expectedOnes = {3, 3, 3, 3, 3, 3, 3, 2, 2, 3, 2, 2, 5, 5};
  for (std::size_t slot = 0; slot < 14; ++slot) {
    const EdgePattern& pattern = kStandardEdgePatternSet[slot];
    for (int position = 0; position < 9; ++position)
      EXPECT_TRUE(pattern[static_cast<std::size_t>(position)] == 0 ||
                  pattern[static_cast<std::size_t>(position)] == 1);
    EXPECT_GE(pattern[9], 1);
    EXPECT_LE(pattern[9], 5);
    EXPECT_EQ(onesOf(pattern).size(), expectedOnes[slot]) << "slot " << slot;
  }
}

TEST(EdgePatterns, LinesRunTheWayTheirClassSays) {
  for (const EdgePattern& pattern : kStandardEdgePatternSet) {
    const std::vector<Cell> ones = onesOf(pattern);
    for (const Cell& a : ones)
      for (const Cell& b : ones) {
        switch (pattern[9]) {
          case kHorizontal: EXPECT_EQ(a.row, b.row); break;
          case kVertical: EXPECT_EQ(a.column, b.column); break;
          case kRisingDiagonal:  // further right is higher up (smaller row)
            if (b.column > a.column) {
              EXPECT_LT(b.row, a.row);
            }
            break;
          case kFallingDiagonal:  // further right is lower down
            if (b.column > a.column) {
              EXPECT_GT(b.row, a.row);
            }
            break;
          default: break;
        }
      }
  }
}

TEST(EdgePatterns, PositionsAreRowMajorInGridOrder) {
  // Top-right, centre and bottom-left at 255: the rising diagonal of slot 6.
  const std::array<int, 9> window = {0, 0, 255, 0, 255, 0, 255, 0, 0};
  EXPECT_EQ(windowScore(window, kStandardEdgePatternSet[6]), 0);
  EXPECT_EQ(kStandardEdgePatternSet[6][9], kRisingDiagonal);
  EXPECT_EQ(windowScore(window, kStandardEdgePatternSet[9]), 4 * 255);
}

TEST(EdgePatterns, CrossesAreTheXBeforeThePlus) {
  const std::array<int, 9> x = {255, 0, 255, 0, 255, 0, 255, 0, 255};
  const std::array<int, 9> plus = {0, 255, 0, 255, 255, 255, 0, 255, 0};
  EXPECT_EQ(windowScore(x, kStandardEdgePatternSet[12]), 0);
  EXPECT_EQ(windowScore(plus, kStandardEdgePatternSet[13]), 0);
}

}  // namespace
}  // namespace tavro

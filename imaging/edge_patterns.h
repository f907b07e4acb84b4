#pragma once
// The 3x3 edge patterns that edge detection compares windows against.
// Positions 0..8 are the window's cells row by row (position 3 x row + column,
// rows in grid y order); a 1 stands for the full cell value 255. Position 9 is
// the class code.

#include <array>
#include <cstdint>

namespace tavro {

using EdgePattern = std::array<std::int16_t, 10>;

// Edge class codes.
enum EdgeClass : std::uint8_t {
  kNoEdge = 0,
  kHorizontal = 1,
  kVertical = 2,
  kRisingDiagonal = 3,
  kFallingDiagonal = 4,
  kCross = 5,
};

constexpr int kEdgePatternSlots = 15;     // slots 0..14
constexpr int kStandardEdgePatterns = 14; // slots 0..13 hold the standard set

// The standard set, in slot order: the earlier slot wins a tie. One rule per
// class: a one-cell line in each position for horizontal and vertical; the
// full diagonal, then its two half diagonals (the one nearer the top first);
// the X before the plus for the cross.
inline constexpr std::array<EdgePattern, kStandardEdgePatterns> kStandardEdgePatternSet = {{
    {1, 1, 1, 0, 0, 0, 0, 0, 0, kHorizontal},
    {0, 0, 0, 1, 1, 1, 0, 0, 0, kHorizontal},
    {0, 0, 0, 0, 0, 0, 1, 1, 1, kHorizontal},
    {1, 0, 0, 1, 0, 0, 1, 0, 0, kVertical},
    {0, 1, 0, 0, 1, 0, 0, 1, 0, kVertical},
    {0, 0, 1, 0, 0, 1, 0, 0, 1, kVertical},
    {0, 0, 1, 0, 1, 0, 1, 0, 0, kRisingDiagonal},
    {0, 1, 0, 1, 0, 0, 0, 0, 0, kRisingDiagonal},
    {0, 0, 0, 0, 0, 1, 0, 1, 0, kRisingDiagonal},
    {1, 0, 0, 0, 1, 0, 0, 0, 1, kFallingDiagonal},
    {0, 1, 0, 0, 0, 1, 0, 0, 0, kFallingDiagonal},
    {0, 0, 0, 1, 0, 0, 0, 1, 0, kFallingDiagonal},
    {1, 0, 1, 0, 1, 0, 1, 0, 1, kCross},
    {0, 1, 0, 1, 1, 1, 0, 1, 0, kCross},
}};

}  // namespace tavro

// The standard set of 14 edge patterns and the builder that installs it.

#include "imaging/edge_patterns.h"
#include "imaging/image_processing.h"

namespace tavro {

// Cells row by row (top, middle, bottom), then the class code. One rule per
// class: a one-cell line in each position for horizontal and vertical; the
// full diagonal, then its two half diagonals (the one nearer the top first);
// the X before the plus for the cross.
const std::array<EdgePattern, kStandardEdgePatterns> kStandardEdgePatternSet = {{
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

void classImageProcessing::buildEdgePatterns() {
  for (int slot = 0; slot < kStandardEdgePatterns; ++slot)
    edgePatterns_.at(slot) = kStandardEdgePatternSet[static_cast<std::size_t>(slot)];
}

}  // namespace tavro

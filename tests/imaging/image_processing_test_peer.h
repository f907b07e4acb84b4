#pragma once
// Test access to the private tables and steps of classImageProcessing, so
// tests can start from hand-made edge maps and segment tables.

#include <cstdint>

#include "imaging/image_processing.h"

namespace tavro {

struct ImageProcessingTestPeer {
  static Grid2D<std::uint8_t>& edgeGrid(classImageProcessing& g) { return g.edgeGrid_; }
  static Grid2D<bool>& tracedMap(classImageProcessing& g) { return g.tracedMap_; }
  static Grid2D<float>& edgeTraces(classImageProcessing& g) { return g.edgeTraces_; }
  static FixedArray<std::int16_t, 19>& angleHistogram(classImageProcessing& g) { return g.angleHistogram_; }

  static void addEdgeTrace(classImageProcessing& g, std::int16_t x1, std::int16_t y1, std::int16_t x2,
                           std::int16_t y2, float strength) {
    g.addEdgeTrace(x1, y1, x2, y2, strength);
  }
  static void chainEdgeTraces(classImageProcessing& g) { g.chainEdgeTraces(); }
  static void buildAngleHistogram(classImageProcessing& g) { g.buildAngleHistogram(); }
  static bool spiralProbeStep(classImageProcessing& g, bool reset) { return g.spiralProbeStep(reset); }
};

}  // namespace tavro

#pragma once
// One picture as a small grid of 8-bit cells, with the working tables of the edge toolkit: 3x3 edge
// patterns, edge tracing into segments, orientation histograms, drawing onto a canvas and charts.
//
// Grids are indexed (x, y), x the column, y the row growing downward. Every 2-D array runs from 0 to
// an inclusive upper bound (width, height), one spare column and row beyond the cells sampling fills.
// Every failure is a thrown tavro::Error; nothing written before it is undone.

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "imaging/bounded_arrays.h"
#include "platform/chart.h"
#include "platform/picture_surface.h"

namespace tavro {

// The 3x3 edge patterns edge detection compares windows against: positions 0..8 the window's cells row
// by row (3 x row + column, rows in grid y order), a 1 standing for the full cell 255; 9 the class code.
using EdgePattern = std::array<std::int16_t, 10>;

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

// The standard set, in slot order (the earlier slot wins a tie): a one-cell line in each position for
// horizontal and vertical; the full diagonal, then its two halves (the upper first); the X, then the plus.
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

class classImageProcessing {
 public:
  classImageProcessing();

  // Public variables: a getter named as the variable, a setter "set" + Name.
  std::int16_t width() const { return width_; }
  void setWidth(std::int16_t v) { width_ = v; }
  std::int16_t height() const { return height_; }
  void setHeight(std::int16_t v) { height_ = v; }
  std::int16_t TraceEdgesThresh() const { return TraceEdgesThresh_; }
  void setTraceEdgesThresh(std::int16_t v) { TraceEdgesThresh_ = v; }
  std::int16_t minEdgeLength() const { return minEdgeLength_; }
  void setMinEdgeLength(std::int16_t v) { minEdgeLength_ = v; }
  std::int16_t edgesWidth() const { return edgesWidth_; }
  void setEdgesWidth(std::int16_t v) { edgesWidth_ = v; }
  std::int16_t edgesHeight() const { return edgesHeight_; }
  void setEdgesHeight(std::int16_t v) { edgesHeight_ = v; }
  std::int16_t processType() const { return processType_; }
  void setProcessType(std::int16_t v) { processType_ = v; }
  float EdgeThreshold() const { return EdgeThreshold_; }
  void setEdgeThreshold(float v) { EdgeThreshold_ = v; }

  // Edge tracing.
  void traceEdges();
  void traceEdges_old();
  bool traceEdgesFromPoint(std::int16_t& x, std::int16_t& y, std::int16_t& edgeLength);
  // Edge detection.
  void getEdges();
  void getEdges_secondary();
  // The grid.
  void init(std::int16_t imageWidth, std::int16_t imageHeight);
  void whiteNoise();
  std::uint8_t getPoint(std::int16_t x, std::int16_t y) const;
  void setPoint(std::int16_t x, std::int16_t y, std::uint8_t value);
  void update(PictureSurface& canvas,
              std::optional<double> left = std::nullopt, std::optional<double> top = std::nullopt,
              std::optional<double> wdth = std::nullopt, std::optional<double> hght = std::nullopt);
  // Edge and contour summaries.
  void getImageEdges(classImageProcessing& rawImage);     // rawImage may be *this
  void getImageContours(classImageProcessing& rawImage);
  // Rendering.
  void show(Canvas& canvas) const;
  void showEdgeTraces(Canvas& canvas) const;
  void showEdgeVector(Canvas& canvas) const;
  void showEdges(Canvas& canvas) const;
  // Charts.
  void showEdgeHistogram(Chart& chart) const;
  void showAngleHistogram(Chart& chart) const;

  // Read-only views of the private tables, for tests and tools.
  const Grid2D<std::uint8_t>& imageGridView() const noexcept { return imageGrid_; }
  const Grid2D<bool>& tracedMapView() const noexcept { return tracedMap_; }
  const Grid2D<bool>& traceVisitedView() const noexcept { return traceVisited_; }
  const Grid2D<std::uint8_t>& edgeGridView() const noexcept { return edgeGrid_; }
  const Grid2D<float>& edgeTracesView() const noexcept { return edgeTraces_; }
  const FixedArray<std::optional<EdgePattern>, kEdgePatternSlots>& edgePatternsView() const noexcept {
    return edgePatterns_;
  }
  const FixedArray<std::int16_t, 6>& edgeCountsView() const noexcept { return edgeCounts_; }
  const FixedArray<std::int16_t, 19>& angleHistogramView() const noexcept { return angleHistogram_; }
  std::int16_t noOfEdgeTraces() const noexcept { return noOfEdgeTraces_; }
  double meanEdgeStrength() const noexcept { return meanEdgeStrength_; }
  float traceHeading() const noexcept { return traceHeading_; }
  float probeHeading() const noexcept { return probeHeading_; }
  std::int16_t probeTurn() const noexcept { return probeTurn_; }
  float probeX() const noexcept { return probeX_; }
  float probeY() const noexcept { return probeY_; }

 private:
  void buildEdgePatterns();  // the last step of init
  // Edge tracing helpers.
  bool spiralProbeStep(bool reset);
  void scanCellByCell();
  void addEdgeTrace(std::int16_t x1, std::int16_t y1, std::int16_t x2, std::int16_t y2, float strength);
  void chainEdgeTraces();
  void buildAngleHistogram();
  // A fresh trace clears, and later merges, only the cells in traceVisitedCells_, not the whole grid.
  void clearTraceVisited();

  // Public variables.
  std::int16_t width_ = 0;
  std::int16_t height_ = 0;
  std::int16_t TraceEdgesThresh_ = 0;
  std::int16_t minEdgeLength_ = 0;
  std::int16_t edgesWidth_ = 0;
  std::int16_t edgesHeight_ = 0;
  std::int16_t processType_ = 0;
  float EdgeThreshold_ = 0.0f;

  // Private members, in the order of the class record.
  Grid2D<std::uint8_t> imageGrid_;   // (0..width, 0..height)
  Grid2D<bool> tracedMap_;           // cells covered by earlier traces
  Grid2D<bool> traceVisited_;        // cells visited by the trace in progress
  float probeHeading_ = 0.0f;
  std::int16_t probeTurn_ = 0;
  float probeX_ = 0.0f;
  float probeY_ = 0.0f;
  FixedArray<std::int16_t, 19> angleHistogram_;  // 0..18
  Grid2D<std::uint8_t> edgeGrid_;    // (0..edgesWidth, 0..edgesHeight)
  double meanEdgeStrength_ = 0.0;
  FixedArray<std::optional<EdgePattern>, kEdgePatternSlots> edgePatterns_;  // 0..14
  FixedArray<std::int16_t, 6> edgeCounts_;       // 0..5
  Grid2D<float> edgeTraces_;         // (0..5, 0..200), fixed from creation
  std::int16_t noOfEdgeTraces_ = 0;
  float traceHeading_ = 0.0f;
  // Every cell set in traceVisited_ (and stale ones false again); reused, so tracing rarely allocates.
  std::vector<std::pair<std::int16_t, std::int16_t>> traceVisitedCells_;

  // The project's own tests set hand-made tables and reach the private steps.
  friend struct ImageProcessingTestPeer;
};

}  // namespace tavro

// Edge tracing: walks from cell to cell over non-zero values, preferring the strongest neighbour that
// keeps roughly the current heading, cut into line segments where it turns. Two searches start the
// traces (a raster scan, a spiral probe); the segments are chained and summed into an orientation
// histogram of 10-degree bins.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <vector>

#include "imaging/bas_maths.h"
#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"

namespace tavro {

namespace {

constexpr std::int16_t kMaxEdgeTraces = 200;
constexpr int kTraceColumns = 5;          // start x, start y, end x, end y, strength
constexpr double kPi = 3.14;              // the system's pi, for every angle conversion
constexpr std::int16_t kProbeTurn = 90;
constexpr std::int16_t kSegmentTurn = 20;  // a sharper turn than this starts a new segment
constexpr std::int16_t kMinCutLength = 3;
constexpr std::int32_t kNoDistanceYet = 99999;

// One of the eight steps, with its direction code in degrees clockwise from north.
struct Neighbour {
  int dx;
  int dy;
  std::int16_t code;
};

// The order of examination: among equal values the earlier neighbour wins.
constexpr std::array<Neighbour, 8> kNeighbours = {{
    {0, -1, 0},
    {1, -1, 45},
    {1, 0, 90},
    {1, 1, 135},
    {0, 1, 180},
    {-1, 1, 225},
    {-1, 0, 270},
    {-1, -1, 315},
}};

// Whether a step in direction code may be taken at heading h (0: none yet); strictly, an edge is outside.
bool headingAccepts(std::int16_t code, float h) {
  switch (code) {
    case 0: return h > 270 || h < 90;
    case 45: return h > 315 || h < 135;
    case 90: return h > 0 && h < 180;
    case 135: return h > 45 && h < 225;
    case 180: return h > 90 && h < 270;
    case 225: return h > 135 && h < 315;
    case 270: return h > 180 || h == 0;
    case 315: return h > 225 || h < 45;
    default: return false;
  }
}

// The cells that may start a trace during one raster search, in scan order
// (row by row, x inner), as bits: the search jumps straight to the next start
// instead of stepping over every cell in between. Cells leave the set when a
// trace covers them; values and the threshold do not change during a search.
class TraceStartCells {
 public:
  // Cells of 0..width-1 x 0..height-1 above threshold and not yet traced; the grids must hold them.
  TraceStartCells(const Grid2D<std::uint8_t>& image, const Grid2D<bool>& traced, int width, int height,
                  int threshold)
      : width_(width), height_(height), bits_((static_cast<std::size_t>(width) * height + kWordBits - 1) / kWordBits) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (image.at(x, y) > threshold && !traced.at(x, y)) bits_[wordOf(x, y)] |= bitOf(x, y);
  }

  // Scan position of the first start at or after position, or end() if none.
  int next(int position) const {
    if (position < 0) position = 0;
    if (position >= end()) return end();
    std::size_t word = static_cast<std::size_t>(position / kWordBits);
    std::uint64_t bits = bits_[word] & (~std::uint64_t{0} << (position % kWordBits));
    while (bits == 0) {
      if (++word == bits_.size()) return end();
      bits = bits_[word];
    }
    return static_cast<int>(word) * kWordBits + std::countr_zero(bits);
  }
  int end() const noexcept { return width_ * height_; }
  int position(int x, int y) const noexcept { return y * width_ + x; }

  void remove(int x, int y) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) bits_[wordOf(x, y)] &= ~bitOf(x, y);
  }

 private:
  static constexpr int kWordBits = 64;
  std::size_t wordOf(int x, int y) const { return static_cast<std::size_t>(position(x, y) / kWordBits); }
  std::uint64_t bitOf(int x, int y) const { return std::uint64_t{1} << (position(x, y) % kWordBits); }

  int width_;
  int height_;
  std::vector<std::uint64_t> bits_;
};

}  // namespace

bool classImageProcessing::traceEdgesFromPoint(std::int16_t& x, std::int16_t& y,
                                               std::int16_t& edgeLength) {
  // Only sampled cells start a trace: the spare last column and row escape the visited-cell bookkeeping.
  if (x < 0 || y < 0 || x >= width_ || y >= height_) throw Error(ErrorKind::SubscriptOutOfRange);

  const bool fresh = edgeLength == 0;
  if (fresh) clearTraceVisited();
  traceHeading_ = 0.0f;

  std::int16_t cx = x, cy = y;   // current cell
  std::int16_t sx = x, sy = y;   // start of the segment in progress
  std::int16_t direction = 0;
  float strength = 0.0f;
  bool kept = false;

  while (imageGrid_.at(cx, cy) != 0 && !traceVisited_.at(cx, cy)) {
    const std::int16_t px = cx, py = cy;
    traceVisited_.at(px, py) = true;
    traceVisitedCells_.emplace_back(px, py);
    edgeLength = checked::add16(edgeLength, 1);
    if (edgeLength > minEdgeLength_ && !tracedMap_.at(px, py)) kept = true;

    std::int32_t best = 0;
    for (const Neighbour& n : kNeighbours) {
      const int nx = px + n.dx, ny = py + n.dy;
      if (nx < 0 || ny < 0 || nx > width_ - 1 || ny > height_ - 1) continue;
      if (!headingAccepts(n.code, traceHeading_)) continue;
      const std::int32_t v = imageGrid_.at(nx, ny);
      if (v > best && !traceVisited_.at(nx, ny)) {
        best = v;
        cx = static_cast<std::int16_t>(nx);
        cy = static_cast<std::int16_t>(ny);
        direction = n.code;
      }
    }

    if (!(traceHeading_ > 0.0f)) {
      strength = static_cast<float>(best);
      traceHeading_ = direction;
    } else {
      strength = checked::toSingle((best + static_cast<double>(strength)) / 2.0);
      std::int16_t turn = checked::roundToInt16(std::fabs(traceHeading_ - static_cast<float>(direction)));
      if (turn > 180) turn = checked::sub16(360, turn);
      float heading = checked::toSingle(static_cast<double>(traceHeading_) - turn / 2.0);
      if (heading < 0.0f) heading += 360.0f;
      if (heading > 360.0f) heading -= 360.0f;
      traceHeading_ = heading;
      if (edgeLength > kMinCutLength && turn > kSegmentTurn && kept) {
        addEdgeTrace(sx, sy, cx, cy, strength);
        sx = cx;
        sy = cy;
      }
    }
  }

  if (kept) addEdgeTrace(sx, sy, cx, cy, strength);
  if (fresh)  // the trace's cells join the traced map
    for (const auto& [vx, vy] : traceVisitedCells_)
      if (vx < width_ && vy < height_ && traceVisited_.at(vx, vy)) tracedMap_.at(vx, vy) = true;
  x = cx;
  y = cy;
  probeHeading_ = direction;
  return kept;
}

void classImageProcessing::traceEdges() {
  const bool gridsCoverTheSize = width_ > 0 && height_ > 0 && imageGrid_.contains(width_ - 1, height_ - 1) &&
                                 tracedMap_.contains(width_ - 1, height_ - 1);
  if (gridsCoverTheSize) {
    // Jumps from start to start: the same cells, in the same order, as stepping one cell at a time.
    TraceStartCells starts(imageGrid_, tracedMap_, width_, height_, TraceEdgesThresh_);
    int scan = 0;        // the scan position, (0, 0) at the start of a pass
    bool found = false;  // the result of the latest trace of this pass
    for (;;) {
      const int start = starts.next(scan + 1);
      if (start == starts.end()) {
        scan = 0;
        if (!found) break;
        found = false;
        continue;
      }
      std::int16_t x = static_cast<std::int16_t>(start % width_);
      std::int16_t y = static_cast<std::int16_t>(start / width_);
      std::int16_t edgeLength = 0;
      found = traceEdgesFromPoint(x, y, edgeLength);
      for (const auto& [cx, cy] : traceVisitedCells_) starts.remove(cx, cy);  // now in tracedMap
      scan = starts.position(x, y);  // the scan goes on where the trace stopped
    }
  } else {
    scanCellByCell();
  }
  chainEdgeTraces();
  buildAngleHistogram();
}

// The raster search one cell at a time, for sizes set by hand the grids do not hold, or empty ones:
// it fails, or ends, exactly where each step says.
void classImageProcessing::scanCellByCell() {
  std::int16_t x = 0, y = 0;
  bool found = false;
  for (;;) {
    x = checked::add16(x, 1);
    if (x == width_) {
      y = checked::add16(y, 1);
      x = 0;
    }
    if (y < height_) {
      if (imageGrid_.at(x, y) > TraceEdgesThresh_ && !tracedMap_.at(x, y)) {
        std::int16_t edgeLength = 0;
        found = traceEdgesFromPoint(x, y, edgeLength);
      }
    } else {
      x = 0;
      y = 0;
      if (!found) break;
      found = false;
    }
  }
}

void classImageProcessing::traceEdges_old() {
  probeX_ = 0.0f;
  probeY_ = 0.0f;
  spiralProbeStep(true);
  while (probeTurn_ > 0) {
    if (!spiralProbeStep(false)) continue;
    probeTurn_ = kProbeTurn;
    std::int16_t x = checked::floorToInt16(probeX_);
    std::int16_t y = checked::floorToInt16(probeY_);
    std::int16_t edgeLength = 0;
    if (traceEdgesFromPoint(x, y, edgeLength)) {
      probeX_ = x;
      probeY_ = y;
    }
  }
  buildAngleHistogram();
}

bool classImageProcessing::spiralProbeStep(bool reset) {
  if (reset) {
    probeHeading_ = 0.0f;
    probeTurn_ = kProbeTurn;
  }
  // The probe's own convention: 0 degrees along +x, 90 along +y.
  const double r = probeHeading_ / 180.0 * kPi;
  probeX_ = checked::toSingle(probeX_ + std::cos(r));
  probeY_ = checked::toSingle(probeY_ + std::sin(r));
  probeHeading_ = checked::toSingle(static_cast<double>(probeHeading_) + probeTurn_);
  if (probeHeading_ > 360.0f) {
    probeHeading_ = 0.0f;
    probeTurn_ = checked::sub16(probeTurn_, 1);
    if (probeTurn_ < 0) probeTurn_ = 0;
  }
  if (probeX_ < 0.0f) probeX_ = 0.0f;
  if (probeX_ >= width_) probeX_ = static_cast<float>(width_ - 1);
  if (probeY_ < 0.0f) probeY_ = 0.0f;
  if (probeY_ >= height_) probeY_ = static_cast<float>(height_ - 1);

  const std::int16_t cellX = checked::floorToInt16(probeX_);
  const std::int16_t cellY = checked::floorToInt16(probeY_);
  // A zero cell is never a hit: a trace cannot mark it, so a negative threshold would search forever.
  const std::int32_t threshold = std::max<std::int32_t>(TraceEdgesThresh_, 0);
  return imageGrid_.at(cellX, cellY) > threshold && !tracedMap_.at(cellX, cellY);
}

void classImageProcessing::addEdgeTrace(std::int16_t x1, std::int16_t y1, std::int16_t x2,
                                        std::int16_t y2, float strength) {
  if (noOfEdgeTraces_ >= kMaxEdgeTraces) return;  // the table is full: dropped
  const int row = noOfEdgeTraces_;
  edgeTraces_.at(0, row) = x1;
  edgeTraces_.at(1, row) = y1;
  edgeTraces_.at(2, row) = x2;
  edgeTraces_.at(3, row) = y2;
  edgeTraces_.at(4, row) = strength;
  noOfEdgeTraces_ = checked::add16(noOfEdgeTraces_, 1);
}

void classImageProcessing::chainEdgeTraces() {
  const std::int16_t rows = noOfEdgeTraces_;
  for (std::int16_t i = 0; i <= rows - 2; ++i) {
    std::int32_t best = kNoDistanceYet;
    std::int16_t bestRow = 0;
    for (std::int16_t j = checked::add16(i, 1); j <= rows - 1; ++j) {
      const std::int16_t dx = checked::roundToInt16(edgeTraces_.at(2, i) - edgeTraces_.at(0, j));
      const std::int16_t dy = checked::roundToInt16(edgeTraces_.at(3, i) - edgeTraces_.at(1, j));
      // Squared distances are 16-bit, as every counter here.
      const std::int16_t distance = checked::add16(checked::mul16(dy, dy), checked::mul16(dx, dx));
      if (distance < best) {
        best = distance;
        bestRow = j;
      }
    }
    const int next = i + 1;
    if (bestRow != next && bestRow > 0)
      for (int column = 0; column < kTraceColumns; ++column)
        std::swap(edgeTraces_.at(column, next), edgeTraces_.at(column, bestRow));
  }
}

void classImageProcessing::buildAngleHistogram() {
  for (int bin = 0; bin <= 17; ++bin) angleHistogram_.at(bin) = 0;
  for (std::int16_t i = 0; i < noOfEdgeTraces_; ++i) {
    const std::int16_t dx = checked::roundToInt16(edgeTraces_.at(0, i) - edgeTraces_.at(2, i));
    const std::int16_t dy = checked::roundToInt16(std::fabs(edgeTraces_.at(1, i) - edgeTraces_.at(3, i)));
    const std::int16_t squared = checked::add16(checked::mul16(dy, dy), checked::mul16(dx, dx));
    const std::int16_t length = checked::roundToInt16(std::sqrt(static_cast<double>(squared)));
    if (length <= 0) continue;
    // From the vertical: 0..90 when the end lies left of or level with the start, 90..180 right of it.
    float ratio = checked::toSingle(static_cast<double>(dy) / length);
    float angle = checked::toSingle(basMaths::arcCos(ratio) / kPi * 180.0);
    if (dx < 0) angle = 180.0f - angle;
    const std::int16_t bin = checked::floorToInt16(angle / 10.0);
    std::int16_t& count = angleHistogram_.at(bin);
    count = checked::add16(count, length);
  }
}

void classImageProcessing::clearTraceVisited() {
  if (width_ > 0 && height_ > 0 && !traceVisited_.contains(width_ - 1, height_ - 1)) {
    // The arrays do not cover width x height (set by hand): cell by cell, failing at the first outside.
    for (int cx = 0; cx < width_; ++cx)
      for (int cy = 0; cy < height_; ++cy) traceVisited_.at(cx, cy) = false;
  }
  // Cells outside 0..width-1 x 0..height-1 are not part of the clear.
  auto kept = traceVisitedCells_.begin();
  for (const auto& cell : traceVisitedCells_) {
    if (cell.first < width_ && cell.second < height_)
      traceVisited_.at(cell.first, cell.second) = false;
    else
      *kept++ = cell;
  }
  traceVisitedCells_.erase(kept, traceVisitedCells_.end());
}

}  // namespace tavro

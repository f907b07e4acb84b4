// The grid itself: init, sampling a picture surface (update), single-cell access and white noise.

#include <utility>
#include <vector>

#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"
#include "platform/random.h"

namespace tavro {

namespace {

constexpr int kMaxTraceColumn = 5;
constexpr int kMaxTraceRow = 200;

// The term one surface point adds to a cell's sum in each sampling mode.
double samplingTerm(std::int16_t processType, std::int32_t colour) {
  switch (processType) {
    case 0: return colour / 16777215.0;                 // the packed colour as a fraction of white
    case 1: return (colour & 0xFF) / 255.0;             // red
    case 2: return (colour & 0xFF00) / 65280.0;         // green
    case 3: return (colour & 0xFF0000) / 16711680.0;    // blue
    default: return 0.0;                                // unknown mode: the cell becomes 0
  }
}

// The cell of a one-point block in mode 0: round(colour / 16777215 x 255). For a colour 0..0xFFFFFF that
// is round(colour / 65793), never within 1 / 131586 of a tie, far beyond the error of the floating
// steps, so integer rounding gives the very same cell.
std::uint8_t onePointCell(std::int32_t colour) {
  if (colour >= 0 && colour <= 0xFFFFFF) return static_cast<std::uint8_t>((colour + 32896) / 65793);
  return checked::roundToByte(samplingTerm(0, colour) * 255.0);  // the block's sum is this one term
}

// Block size along one axis: the region's extent per cell, rounded, at least 1.
std::int16_t blockSize(float extent, std::int16_t cells) {
  if (cells == 0) throw Error(ErrorKind::DivisionByZero);
  const std::int16_t step = checked::roundToInt16(static_cast<double>(extent) / cells);
  return step < 1 ? std::int16_t{1} : step;
}

// One region argument of update as a 32-bit float.
float regionArgument(const std::optional<double>& argument) {
  if (!argument) throw Error(ErrorKind::TypeMismatch);
  return checked::toSingle(*argument);
}

}  // namespace

classImageProcessing::classImageProcessing() : edgeTraces_(kMaxTraceColumn, kMaxTraceRow) {}

void classImageProcessing::init(std::int16_t imageWidth, std::int16_t imageHeight) {
  width_ = imageWidth;
  height_ = imageHeight;
  imageGrid_ = Grid2D<std::uint8_t>(width_, height_, 0);
  tracedMap_ = Grid2D<bool>(width_, height_, false);
  traceVisited_ = Grid2D<bool>(width_, height_, false);
  minEdgeLength_ = 10;
  edgesWidth_ = checked::roundToInt16(width_ / 2.0);
  edgesHeight_ = checked::roundToInt16(height_ / 2.0);
  edgeGrid_ = Grid2D<std::uint8_t>(edgesWidth_, edgesHeight_, 0);
  EdgeThreshold_ = 0.0f;
  processType_ = 0;
  buildEdgePatterns();
}

// The standard set into slots 0..13, each replaced whole; slot 14 stays empty.
void classImageProcessing::buildEdgePatterns() {
  for (int slot = 0; slot < kStandardEdgePatterns; ++slot)
    edgePatterns_.at(slot) = kStandardEdgePatternSet[static_cast<std::size_t>(slot)];
}

std::uint8_t classImageProcessing::getPoint(std::int16_t x, std::int16_t y) const {
  return imageGrid_.at(x, y);
}

void classImageProcessing::setPoint(std::int16_t x, std::int16_t y, std::uint8_t value) {
  imageGrid_.at(x, y) = value;
}

void classImageProcessing::update(PictureSurface& canvas, std::optional<double> left,
                                  std::optional<double> top, std::optional<double> wdth,
                                  std::optional<double> hght) {
  // Either corner missing: the whole surface; else the four are converted in order, a missing size failing.
  float regionLeft = 0.0f;
  float regionTop = 0.0f;
  float regionWidth = 0.0f;
  float regionHeight = 0.0f;
  if (!left || !top) {
    regionWidth = canvas.scaleWidth();
    regionHeight = canvas.scaleHeight();
  } else {
    regionLeft = regionArgument(left);
    regionTop = regionArgument(top);
    regionWidth = regionArgument(wdth);
    regionHeight = regionArgument(hght);
  }

  const std::int16_t stepX = blockSize(regionWidth, width_);
  const std::int16_t stepY = blockSize(regionHeight, height_);
  const double area = checked::mul16(stepX, stepY);
  const bool onePoint = area == 1.0 && processType_ == 0;  // the application's sampling

  // A block's rows are the same in every column: rounded and checked in column 0 (where a row's
  // first failure is met), then reused.
  std::vector<std::pair<std::int16_t, std::int16_t>> rows;
  const int lastX = checked::lastIndex(width_);
  for (int x = 0; x <= lastX; ++x) {
    // The column's exact block origin; rounded (and range-checked) at its first cell.
    const double originX = static_cast<double>(x) / width_ * regionWidth + regionLeft;
    std::int16_t px = 0;
    std::int16_t lastI = 0;
    const int lastY = checked::lastIndex(height_);
    for (int y = 0; y <= lastY; ++y) {
      tracedMap_.at(x, y) = false;
      if (y == 0) {
        px = checked::roundToInt16(originX);
        lastI = checked::sub16(checked::add16(px, stepX), 1);
      }
      if (x == 0) {
        const std::int16_t py = checked::roundToInt16(
            static_cast<double>(y) / height_ * regionHeight + regionTop);
        rows.emplace_back(py, checked::sub16(checked::add16(py, stepY), 1));
      }
      const auto [py, lastJ] = rows[static_cast<std::size_t>(y)];
      if (onePoint) {
        imageGrid_.at(x, y) = onePointCell(canvas.point(static_cast<float>(px), static_cast<float>(py)));
        continue;
      }
      double sum = 0.0;
      for (std::int32_t i = px; i <= lastI; ++i) {
        for (std::int32_t j = py; j <= lastJ; ++j) {
          const std::int32_t colour = canvas.point(static_cast<float>(i), static_cast<float>(j));
          sum += samplingTerm(processType_, colour);
        }
      }
      imageGrid_.at(x, y) = checked::roundToByte(sum / area * 255.0);
    }
  }
}

void classImageProcessing::whiteNoise() {
  const int lastX = checked::lastIndex(width_);
  for (int x = 0; x <= lastX; ++x) {
    const int lastY = checked::lastIndex(height_);
    for (int y = 0; y <= lastY; ++y) {
      const double r = nextRandom();
      imageGrid_.at(x, y) = checked::roundToByte(r * 255.0);
    }
  }
}

}  // namespace tavro

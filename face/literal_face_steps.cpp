#include "face/literal_face_steps.h"

#include <cmath>
#include <cstdlib>

#include "imaging/checked_arithmetic.h"

namespace tavro {

classImageProcessing& gridOf(const std::shared_ptr<classImageProcessing>& grid) {
  if (!grid) throw Error(ErrorKind::ObjectNotSet);
  return *grid;
}

std::uint8_t positiveDifference(std::uint8_t value, float average) {
  // Single-precision difference, rounded to a 16-bit integer.
  std::int16_t d = checked::roundToInt16(static_cast<float>(value) - average);
  if (d < 0) d = 0;
  return checked::narrow<std::uint8_t>(d);
}

namespace {

// Runs cell(x, y) over columns 0..width-1 (outer) and rows 0..height-1
// (inner), each loop bound a checked 16-bit result as the algorithm has it.
template <class Cell>
void forEachCell(std::int16_t width, std::int16_t height, Cell cell) {
  const int lastX = checked::lastIndex(width);
  for (int x = 0; x <= lastX; ++x) {
    const int lastY = checked::lastIndex(height);
    for (int y = 0; y <= lastY; ++y) cell(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
  }
}

// target()(x, y) = positive difference of source()(x, y) from averageFace(x, y).
// The grids are looked up at every cell, as the algorithm reads them, so a
// missing one fails only where a cell is reached.
template <class Source, class Target>
void writePositiveDifference(const FaceRecord& record, Source source, Target target,
                             std::int16_t width, std::int16_t height) {
  forEachCell(width, height, [&](std::int16_t x, std::int16_t y) {
    const std::uint8_t v = gridOf(source()).getPoint(x, y);
    const std::uint8_t d = positiveDifference(v, record.averageFace.at(x, y));
    gridOf(target()).setPoint(x, y, d);
  });
}

}  // namespace

void computeAverageFaceLiterally(FaceRecord& record, std::int16_t noOfFaces, std::int16_t width,
                                 std::int16_t height) {
  const int lastFace = checked::lastIndex(noOfFaces);
  for (int f = 0; f <= lastFace; ++f) {
    forEachCell(width, height, [&](std::int16_t x, std::int16_t y) {
      const std::uint8_t v = gridOf(record.faceGrids.at(f)).getPoint(x, y);
      float& cell = record.averageFace.at(x, y);
      cell = f == 0 ? static_cast<float>(v) : cell + static_cast<float>(v);
    });
  }
  if (noOfFaces == 0) throw Error(ErrorKind::DivisionByZero);
  const float count = static_cast<float>(noOfFaces);
  forEachCell(width, height, [&](std::int16_t x, std::int16_t y) {
    float& cell = record.averageFace.at(x, y);
    cell = std::floor(cell / count);
  });
}

void computeDifferenceGridsLiterally(FaceRecord& record, std::int16_t noOfFaces,
                                     std::int16_t width, std::int16_t height) {
  const int lastFace = checked::lastIndex(noOfFaces);
  for (int f = 0; f <= lastFace; ++f)
    writePositiveDifference(
        record, [&]() -> auto& { return record.faceGrids.at(f); },
        [&]() -> auto& { return record.differenceGrids.at(f); }, width, height);
}

void computeProbeDifference(FaceRecord& record, std::int16_t width, std::int16_t height) {
  writePositiveDifference(
      record, [&]() -> auto& { return record.probeGrid; },
      [&]() -> auto& { return record.probeDifference; }, width, height);
}

std::int32_t scoreFaceLiterally(const FaceRecord& record, int face, std::int16_t width,
                                std::int16_t height) {
  std::int32_t score = 0;
  forEachCell(width, height, [&](std::int16_t x, std::int16_t y) {
    const int stored = gridOf(record.differenceGrids.at(face)).getPoint(x, y);
    const int probe = gridOf(record.probeDifference).getPoint(x, y);
    score = checked::add32(score, std::abs(checked::sub16(stored, probe)));
  });
  return score;
}

}  // namespace tavro

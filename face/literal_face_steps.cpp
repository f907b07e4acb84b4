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

void computeAverageFaceLiterally(FaceRecord& record, std::int16_t noOfFaces, std::int16_t width,
                                 std::int16_t height) {
  const int lastFace = checked::lastIndex(noOfFaces);
  for (int f = 0; f <= lastFace; ++f) {
    const int lastX = checked::lastIndex(width);
    for (int x = 0; x <= lastX; ++x) {
      const int lastY = checked::lastIndex(height);
      for (int y = 0; y <= lastY; ++y) {
        const std::uint8_t v = gridOf(record.faceGrids.at(f)).getPoint(static_cast<std::int16_t>(x),
                                                                        static_cast<std::int16_t>(y));
        float& cell = record.averageFace.at(x, y);
        cell = f == 0 ? static_cast<float>(v) : cell + static_cast<float>(v);
      }
    }
  }
  if (noOfFaces == 0) throw Error(ErrorKind::DivisionByZero);
  const float count = static_cast<float>(noOfFaces);
  const int lastX = checked::lastIndex(width);
  for (int x = 0; x <= lastX; ++x) {
    const int lastY = checked::lastIndex(height);
    for (int y = 0; y <= lastY; ++y) {
      float& cell = record.averageFace.at(x, y);
      cell = std::floor(cell / count);
    }
  }
}

void computeDifferenceGridsLiterally(FaceRecord& record, std::int16_t noOfFaces,
                                     std::int16_t width, std::int16_t height) {
  const int lastFace = checked::lastIndex(noOfFaces);
  for (int f = 0; f <= lastFace; ++f) {
    const int lastX = checked::lastIndex(width);
    for (int x = 0; x <= lastX; ++x) {
      const int lastY = checked::lastIndex(height);
      for (int y = 0; y <= lastY; ++y) {
        const auto cx = static_cast<std::int16_t>(x);
        const auto cy = static_cast<std::int16_t>(y);
        const std::uint8_t v = gridOf(record.faceGrids.at(f)).getPoint(cx, cy);
        const std::uint8_t d = positiveDifference(v, record.averageFace.at(x, y));
        gridOf(record.differenceGrids.at(f)).setPoint(cx, cy, d);
      }
    }
  }
}

void computeProbeDifference(FaceRecord& record, std::int16_t width, std::int16_t height) {
  const int lastX = checked::lastIndex(width);
  for (int x = 0; x <= lastX; ++x) {
    const int lastY = checked::lastIndex(height);
    for (int y = 0; y <= lastY; ++y) {
      const auto cx = static_cast<std::int16_t>(x);
      const auto cy = static_cast<std::int16_t>(y);
      const std::uint8_t v = gridOf(record.probeGrid).getPoint(cx, cy);
      const std::uint8_t d = positiveDifference(v, record.averageFace.at(x, y));
      gridOf(record.probeDifference).setPoint(cx, cy, d);
    }
  }
}

std::int32_t scoreFaceLiterally(const FaceRecord& record, int face, std::int16_t width,
                                std::int16_t height) {
  std::int32_t score = 0;
  const int lastX = checked::lastIndex(width);
  for (int x = 0; x <= lastX; ++x) {
    const int lastY = checked::lastIndex(height);
    for (int y = 0; y <= lastY; ++y) {
      const auto cx = static_cast<std::int16_t>(x);
      const auto cy = static_cast<std::int16_t>(y);
      const int stored = gridOf(record.differenceGrids.at(face)).getPoint(cx, cy);
      const int probe = gridOf(record.probeDifference).getPoint(cx, cy);
      score = checked::add32(score, std::abs(checked::sub16(stored, probe)));
    }
  }
  return score;
}

}  // namespace tavro

#pragma once
// The recogniser's steps cell by cell through the grid operations, exactly in
// the order of the algorithm: the reference the quick paths must match, and
// the path taken whenever their preconditions do not hold. Each stops at its
// first error and leaves what it wrote.

#include <cstdint>
#include <memory>

#include "face/face_record.h"

namespace tavro {

// The grid behind a reference; an empty reference is "Object variable not set".
classImageProcessing& gridOf(const std::shared_ptr<classImageProcessing>& grid);

// max(0, value - average) as a cell value: the part brighter than the average.
std::uint8_t positiveDifference(std::uint8_t value, float average);

// averageFace = floor(mean of faceGrids 0..noOfFaces-1) over width x height.
void computeAverageFaceLiterally(FaceRecord& record, std::int16_t noOfFaces, std::int16_t width,
                                 std::int16_t height);

// differenceGrids(f) = positive difference of faceGrids(f) from averageFace.
void computeDifferenceGridsLiterally(FaceRecord& record, std::int16_t noOfFaces,
                                     std::int16_t width, std::int16_t height);

// probeDifference = positive difference of probeGrid from averageFace.
void computeProbeDifference(FaceRecord& record, std::int16_t width, std::int16_t height);

// Sum of |differenceGrids(face) - probeDifference| over width x height, as a
// checked 32-bit running sum.
std::int32_t scoreFaceLiterally(const FaceRecord& record, int face, std::int16_t width,
                                std::int16_t height);

}  // namespace tavro

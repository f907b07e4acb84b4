#pragma once
// The recogniser's private record: per slot the face grid, its difference
// grid and its name; the average face; the two probe grids. Slot i of the
// three tables belongs together.

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/bounded_arrays.h"
#include "imaging/image_processing.h"

namespace tavro {

constexpr int kFaceSlots = 1001;  // slots 0..1000

struct FaceRecord {
  FixedArray<std::shared_ptr<classImageProcessing>, kFaceSlots> faceGrids;
  FixedArray<std::shared_ptr<classImageProcessing>, kFaceSlots> differenceGrids;
  FixedArray<std::string, kFaceSlots> faceNames;
  Grid2D<float> averageFace;  // (0..imageWidth, 0..imageHeight) once init has run
  std::shared_ptr<classImageProcessing> probeGrid;
  std::shared_ptr<classImageProcessing> probeDifference;
};

}  // namespace tavro

#pragma once
// Face pictures for recogniser tests: a surface of width x height unit points
// sampled into a grid of the same size reads one point per cell, so each cell
// gets exactly the grey level given for it.

#include <cstdint>
#include <vector>

#include "imaging/image_processing.h"
#include "tests/imaging/fake_picture_surface.h"

namespace tavro {

// levels[x][y] is the grey level of cell (x, y).
inline FakePictureSurface greyFace(const std::vector<std::vector<int>>& levels) {
  return FakePictureSurface::grey(levels);
}

// A one-cell face.
inline FakePictureSurface dot(int level) { return greyFace({{level}}); }

// A 2 x 2 face: cells (0,0), (0,1), (1,0), (1,1).
inline FakePictureSurface square(int a, int b, int c, int d) { return greyFace({{a, b}, {c, d}}); }

// The cells of a grid below (width, height), column by column.
inline std::vector<int> cellsOf(const classImageProcessing& grid) {
  std::vector<int> cells;
  for (std::int16_t x = 0; x < grid.width(); ++x)
    for (std::int16_t y = 0; y < grid.height(); ++y) cells.push_back(grid.getPoint(x, y));
  return cells;
}

}  // namespace tavro

// Speed of the edge toolkit on this machine. Targets (Release): getEdges on a
// 128 x 128 grid under 1 ms; getImageEdges of a 128 x 128 grid from a 256 x 256
// natural-looking picture under 20 ms; traceEdges_old on an empty 128 x 128
// grid under 1 ms.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "imaging/image_processing.h"

namespace tavro {
namespace {

// Smooth lighting, a few solid shapes and mild sensor noise, like a small
// photograph: the edges are the shapes' outlines, not every cell.
classImageProcessing naturalPicture(int width, int height) {
  classImageProcessing picture;
  picture.init(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  std::mt19937 random(2024);
  std::normal_distribution<double> noise(0.0, 3.0);
  const double sx = width / 256.0, sy = height / 256.0;  // shapes scale with the picture
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      double v = 110.0 + 50.0 * std::sin(x / (41.0 * sx)) + 35.0 * std::cos(y / (29.0 * sy));
      const double dx = x - 90.0 * sx, dy = y - 100.0 * sy;
      if (dx * dx + dy * dy < 45.0 * 45.0 * sx * sy) v = 225.0 - 0.3 * (y / sy);  // a bright disc
      if (x > 150 * sx && x < 220 * sx && y > 40 * sy && y < 120 * sy) v = 40.0;  // a dark box
      if (x > 130 * sx && x < 240 * sx && y > 170 * sy && y < 200 * sy) v = 180.0;  // a bar
      if (std::abs((x / sx) - (y / sy) - 30.0) < 4.0) v = 20.0;  // a diagonal stroke
      v += noise(random);
      picture.setPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y),
                       static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)));
    }
  }
  return picture;
}

classImageProcessing noisePicture(int width, int height) {
  classImageProcessing picture;
  picture.init(static_cast<std::int16_t>(width), static_cast<std::int16_t>(height));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> value(0, 255);
  for (std::int16_t x = 0; x < width; ++x)
    for (std::int16_t y = 0; y < height; ++y) picture.setPoint(x, y, static_cast<std::uint8_t>(value(random)));
  return picture;
}

void BM_GetEdges_Natural128(benchmark::State& state) {
  classImageProcessing grid = naturalPicture(128, 128);
  for (auto _ : state) {
    grid.getEdges();
    benchmark::DoNotOptimize(grid.edgeCountsView());
  }
}
BENCHMARK(BM_GetEdges_Natural128)->Unit(benchmark::kMicrosecond);

void BM_GetEdges_Noise128(benchmark::State& state) {
  classImageProcessing grid = noisePicture(128, 128);
  for (auto _ : state) {
    grid.getEdges();
    benchmark::DoNotOptimize(grid.edgeCountsView());
  }
}
BENCHMARK(BM_GetEdges_Noise128)->Unit(benchmark::kMicrosecond);

void BM_GetImageEdges_128From256Natural(benchmark::State& state) {
  classImageProcessing raw = naturalPicture(256, 256);
  classImageProcessing edges;
  edges.init(128, 128);
  for (auto _ : state) {
    edges.getImageEdges(raw);  // rewrites every cell it reads back, so each round is the same
    benchmark::DoNotOptimize(edges.noOfEdgeTraces());
  }
  state.counters["segments"] = edges.noOfEdgeTraces();
  state.counters["traceThreshold"] = edges.TraceEdgesThresh();
}
BENCHMARK(BM_GetImageEdges_128From256Natural)->Unit(benchmark::kMillisecond);

void BM_GetImageEdges_128From256Noise(benchmark::State& state) {
  classImageProcessing raw = noisePicture(256, 256);
  classImageProcessing edges;
  edges.init(128, 128);
  for (auto _ : state) {
    edges.getImageEdges(raw);
    benchmark::DoNotOptimize(edges.noOfEdgeTraces());
  }
}
BENCHMARK(BM_GetImageEdges_128From256Noise)->Unit(benchmark::kMillisecond);

void BM_TraceEdgesOld_Empty128(benchmark::State& state) {
  classImageProcessing grid;
  grid.init(128, 128);
  for (auto _ : state) {
    grid.traceEdges_old();
    benchmark::DoNotOptimize(grid.probeTurn());
  }
}
BENCHMARK(BM_TraceEdgesOld_Empty128)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavro

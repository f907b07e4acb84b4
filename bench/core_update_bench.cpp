// Sampling a face picture into the application's 25 x 25 grid.

#include <benchmark/benchmark.h>

#include "bench/in_memory_face_surface.h"
#include "imaging/image_processing.h"

namespace tavro {
namespace {

void BM_Update25x25OverTheApplicationScale(benchmark::State& state) {
  const bench::InMemoryFaceSurface picture(7);
  classImageProcessing grid;
  grid.init(25, 25);
  for (auto _ : state) {
    grid.update(const_cast<bench::InMemoryFaceSurface&>(picture));
    benchmark::DoNotOptimize(grid.getPoint(12, 12));
  }
  state.SetItemsProcessed(state.iterations() * 625);
}
BENCHMARK(BM_Update25x25OverTheApplicationScale)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tavro

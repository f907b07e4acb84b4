#include "platform/random.h"

#include <random>
#include <utility>

namespace tavro {
namespace {

// Never seeded from the clock: the same sequence in every process.
constexpr std::uint_fast32_t kFixedSeed = std::mt19937::default_seed;

struct RandomState {
  std::mt19937 engine{kFixedSeed};
  std::function<double()> override;
};

RandomState& state() {
  static RandomState s;
  return s;
}

}  // namespace

double nextRandom() {
  RandomState& s = state();
  if (s.override) return s.override();
  // 53 random bits scaled into [0, 1): never 1.0.
  const double high = static_cast<double>(s.engine() >> 5);
  const double low = static_cast<double>(s.engine() >> 6);
  return (high * 67108864.0 + low) / 9007199254740992.0;
}

void setRandomSource(std::function<double()> source) {
  RandomState& s = state();
  s.override = std::move(source);
  if (!s.override) s.engine.seed(kFixedSeed);
}

}  // namespace tavro

#include "face/difference_score.h"

#include <algorithm>
#include <cstdlib>

namespace tavro {

std::uint64_t sumOfAbsoluteDifferences(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  // 32-bit partial sums vectorise into byte SAD instructions; 255 x 2^23
  // stays below 2^31, so a chunk can never overflow its partial.
  constexpr std::size_t kChunk = std::size_t{1} << 23;
  std::uint64_t total = 0;
  for (std::size_t start = 0; start < n; start += kChunk) {
    const std::size_t end = std::min(n, start + kChunk);
    std::uint32_t partial = 0;
    for (std::size_t i = start; i < end; ++i)
      partial += static_cast<std::uint32_t>(std::abs(int{a[i]} - int{b[i]}));
    total += partial;
  }
  return total;
}

}  // namespace tavro

#pragma once
// The score of one stored face against a probe: the sum of absolute
// differences of two equally laid out byte grids.

#include <cstddef>
#include <cstdint>

namespace tavro {

// Sum of |a[i] - b[i]| over n bytes. 64-bit, so the caller can apply the
// 32-bit range of the running score itself.
std::uint64_t sumOfAbsoluteDifferences(const std::uint8_t* a, const std::uint8_t* b, std::size_t n);

}  // namespace tavro

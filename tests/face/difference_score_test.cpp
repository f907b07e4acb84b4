// The byte SAD behind quick scores, including totals beyond 32 bits.

#include "face/difference_score.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tavro {
namespace {

TEST(DifferenceScore, SumsAbsoluteDifferencesBothWays) {
  const std::vector<std::uint8_t> a = {0, 255, 10, 200, 7};
  const std::vector<std::uint8_t> b = {255, 0, 20, 100, 7};
  EXPECT_EQ(sumOfAbsoluteDifferences(a.data(), b.data(), a.size()), 255u + 255u + 10u + 100u);
  EXPECT_EQ(sumOfAbsoluteDifferences(a.data(), b.data(), 0), 0u);
}

TEST(DifferenceScore, OddLengthsCountEveryByte) {
  // 676 bytes: a 25 x 25 grid with its spare column and row.
  std::vector<std::uint8_t> a(676, 3);
  std::vector<std::uint8_t> b(676, 1);
  b[675] = 9;  // the last byte: |3 - 9| = 6 instead of 2
  EXPECT_EQ(sumOfAbsoluteDifferences(a.data(), b.data(), a.size()), 675u * 2u + 6u);
}

TEST(DifferenceScore, TotalsBeyondThirtyTwoBitsAreExact) {
  // 2^24 + 5 bytes of 255 against 0: past the 2^23-byte chunks and past 2^31.
  const std::size_t n = (std::size_t{1} << 24) + 5;
  std::vector<std::uint8_t> white(n, 255);
  std::vector<std::uint8_t> black(n, 0);
  EXPECT_EQ(sumOfAbsoluteDifferences(white.data(), black.data(), n), std::uint64_t{255} * n);
}

}  // namespace
}  // namespace tavro

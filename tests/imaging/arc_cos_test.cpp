#include "imaging/bas_maths.h"

#include <gtest/gtest.h>

namespace tavro {
namespace {

TEST(HistogramArcCos, OneIsClampedInThePassedVariable) {
  float value = 1.0f;
  // arccos(0.9999) = sqrt(2 x 0.0001) x (1 + 0.0001 / 12) = 0.0141434
  EXPECT_NEAR(basMaths::arcCos(value), 0.0141434f, 1e-6f);
  EXPECT_EQ(value, 0.9999f);
}

TEST(HistogramArcCos, MinusOneIsClampedToMinus09999) {
  float value = -1.0f;
  EXPECT_NEAR(basMaths::arcCos(value), 3.1274493f, 1e-6f);  // pi - 0.0141434
  EXPECT_EQ(value, -0.9999f);
}

TEST(HistogramArcCos, ValuesBeyondOneAreClampedToo) {
  float above = 2.5f;
  float below = -7.0f;
  EXPECT_NEAR(basMaths::arcCos(above), 0.0141434f, 1e-6f);
  EXPECT_NEAR(basMaths::arcCos(below), 3.1274493f, 1e-6f);
  EXPECT_EQ(above, 0.9999f);
  EXPECT_EQ(below, -0.9999f);
}

TEST(HistogramArcCos, InsideTheRangeTheValueIsLeftAlone) {
  float zero = 0.0f;
  EXPECT_EQ(basMaths::arcCos(zero), 1.5707964f);  // pi / 2 as a float
  EXPECT_EQ(zero, 0.0f);
  float half = 0.5f;
  EXPECT_NEAR(basMaths::arcCos(half), 1.0471976f, 1e-6f);  // pi / 3
  EXPECT_EQ(half, 0.5f);
  float threeQuarters = 0.75f;
  EXPECT_NEAR(basMaths::arcCos(threeQuarters), 0.7227342f, 1e-6f);
}

}  // namespace
}  // namespace tavro

// basMaths::arcCos: the arc cosine with its argument pulled inside the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imaging/bas_maths.h"

namespace tavro {
namespace {

TEST(ArcCos, InsideTheDomainTheArgumentStays) {
  float zero = 0.0f;
  EXPECT_FLOAT_EQ(basMaths::arcCos(zero), 1.5707964f);
  EXPECT_EQ(zero, 0.0f);
  float half = 0.5f;
  EXPECT_NEAR(basMaths::arcCos(half), 1.0471976, 1e-6);  // pi / 3
  EXPECT_EQ(half, 0.5f);
  float threeQuarters = 0.75f;
  EXPECT_NEAR(basMaths::arcCos(threeQuarters), 0.7227342, 1e-6);
  EXPECT_EQ(threeQuarters, 0.75f);
  float almostOne = 0.99f;
  EXPECT_NEAR(basMaths::arcCos(almostOne), 0.1415395, 1e-6);
  EXPECT_EQ(almostOne, 0.99f);
}

TEST(ArcCos, OneAndBeyondAreRewrittenTo0Point9999WithTheirSign) {
  float one = 1.0f;
  EXPECT_NEAR(basMaths::arcCos(one), 0.0141434, 1e-6);
  EXPECT_EQ(one, 0.9999f);
  float minusOne = -1.0f;
  EXPECT_NEAR(basMaths::arcCos(minusOne), 3.1274493, 1e-6);
  EXPECT_EQ(minusOne, -0.9999f);
  float big = 2.5f;
  basMaths::arcCos(big);
  EXPECT_EQ(big, 0.9999f);
  float veryNegative = -7.0f;
  basMaths::arcCos(veryNegative);
  EXPECT_EQ(veryNegative, -0.9999f);
  float endless = std::numeric_limits<float>::infinity();
  EXPECT_NEAR(basMaths::arcCos(endless), 0.0141434, 1e-6);
  EXPECT_EQ(endless, 0.9999f);
}

TEST(ArcCos, NotANumberGivesNotANumberWithoutHarm) {
  float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(basMaths::arcCos(nan)));
}

TEST(ArcCos, HistogramAnglesInDegreesWithPiAs3Point14) {
  // The angle of a segment with dx = dy = 3: r = 0.75 gives 41.43 degrees.
  float r = 0.75f;
  const float degrees = basMaths::arcCos(r) / 3.14f * 180.0f;
  EXPECT_NEAR(degrees, 41.43f, 0.01f);
  // A vertical segment: r = 1 is clamped, about 0.81 degrees (bin 0).
  float vertical = 1.0f;
  EXPECT_NEAR(basMaths::arcCos(vertical) / 3.14f * 180.0f, 0.81f, 0.01f);
}

}  // namespace
}  // namespace tavro

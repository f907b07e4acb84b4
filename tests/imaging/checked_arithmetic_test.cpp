#include "imaging/checked_arithmetic.h"

#include <gtest/gtest.h>

#include <limits>

#include "imaging/bounded_arrays.h"
#include "tests/imaging/error_kind_of.h"

namespace tavro {
namespace {

TEST(Rounding, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(checked::roundToInt16(12.5), 12);
  EXPECT_EQ(checked::roundToInt16(13.5), 14);
  EXPECT_EQ(checked::roundToInt16(127.5), 128);
  EXPECT_EQ(checked::roundToInt16(-2.5), -2);
  EXPECT_EQ(checked::roundToInt16(-3.5), -4);
  EXPECT_EQ(checked::roundToInt16(0.4999999), 0);
  EXPECT_EQ(checked::roundToInt16(2.5000001), 3);
  EXPECT_EQ(checked::roundToByte(127.5), 128);
  EXPECT_EQ(checked::roundToByte(-0.5), 0);
  EXPECT_EQ(checked::roundToByte(255.4), 255);
}

TEST(Rounding, ResultsOutsideTheTypeOverflow) {
  EXPECT_EQ(checked::roundToInt16(32767.4), 32767);
  EXPECT_EQ(checked::roundToInt16(-32768.5), -32768);
  EXPECT_EQ(kindOf([] { checked::roundToInt16(32767.5); }), ErrorKind::Overflow);
  EXPECT_EQ(kindOf([] { checked::roundToInt16(std::numeric_limits<double>::quiet_NaN()); }),
            ErrorKind::Overflow);
  EXPECT_EQ(kindOf([] { checked::roundToByte(255.5); }), ErrorKind::Overflow);
  EXPECT_EQ(kindOf([] { checked::roundToByte(-0.6); }), ErrorKind::Overflow);
  EXPECT_EQ(kindOf([] { checked::roundToInt32(2147483647.5); }), ErrorKind::Overflow);
  EXPECT_EQ(checked::floorToInt16(-0.5), -1);
  EXPECT_EQ(kindOf([] { checked::toSingle(1e300); }), ErrorKind::Overflow);
}

TEST(CheckedIntegers, SixteenAndThirtyTwoBitResultsNeverWrap) {
  EXPECT_EQ(checked::add16(32766, 1), 32767);
  EXPECT_EQ(kindOf([] { checked::add16(32767, 1); }), ErrorKind::Overflow);
  EXPECT_EQ(kindOf([] { checked::mul16(182, 181); }), ErrorKind::Overflow);
  EXPECT_EQ(checked::mul16(181, 181), 32761);
  EXPECT_EQ(kindOf([] { checked::sub16(-32768, 1); }), ErrorKind::Overflow);
  EXPECT_EQ(kindOf([] { checked::add32(2147483647, 1); }), ErrorKind::Overflow);
}

TEST(Grid2D, BoundsAreInclusiveAndChecked) {
  Grid2D<std::uint8_t> grid(3, 2, 7);
  EXPECT_EQ(grid.size(), 12u);
  EXPECT_EQ(grid.at(3, 2), 7);
  grid.at(3, 2) = 9;
  EXPECT_EQ(grid.at(3, 2), 9);
  EXPECT_EQ(kindOf([&] { grid.at(4, 0); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { grid.at(0, -1); }), ErrorKind::SubscriptOutOfRange);
  Grid2D<bool> none;
  EXPECT_EQ(kindOf([&] { none.at(0, 0); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([] { Grid2D<int>(-1, 0); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([] { Grid2D<int>(32767, 32767); }), ErrorKind::Platform);
  // A grid moved from is left without cells: reading it is out of range.
  Grid2D<std::uint8_t> taken = std::move(grid);
  EXPECT_EQ(taken.at(3, 2), 9);
  EXPECT_EQ(kindOf([&] { grid.at(0, 0); }), ErrorKind::SubscriptOutOfRange);
  grid = std::move(taken);
  EXPECT_EQ(grid.at(3, 2), 9);
  EXPECT_EQ(kindOf([&] { taken.at(3, 2); }), ErrorKind::SubscriptOutOfRange);
}

TEST(Rounding, HalvesOfSmallValuesAndSinglePrecision) {
  EXPECT_EQ(checked::roundToByte(0.5), 0);
  EXPECT_EQ(checked::roundToByte(1.5), 2);
  EXPECT_EQ(checked::roundToByte(254.5), 254);
  EXPECT_EQ(checked::roundToInt16(-0.5), 0);
  EXPECT_EQ(checked::roundToInt32(-1000000.5), -1000000);
  EXPECT_EQ(kindOf([] { checked::roundToInt16(std::numeric_limits<double>::infinity()); }),
            ErrorKind::Overflow);
  EXPECT_EQ(checked::toSingle(0.1), 0.1f);
  EXPECT_TRUE(std::isnan(checked::toSingle(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(kindOf([] { checked::toSingle(-1e39); }), ErrorKind::Overflow);
}

TEST(FixedArray, IndicesRunFromZeroToSizeMinusOne) {
  FixedArray<std::int16_t, 19> bins;
  EXPECT_EQ(bins.at(0), 0);
  bins.at(18) = 5;
  EXPECT_EQ(bins.values()[18], 5);
  EXPECT_EQ(kindOf([&] { bins.at(19); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { bins.at(-1); }), ErrorKind::SubscriptOutOfRange);
}

}  // namespace
}  // namespace tavro

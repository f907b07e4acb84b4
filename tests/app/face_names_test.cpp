#include "app/face_names.h"

#include <gtest/gtest.h>

#include "platform/errors.h"

namespace {

using tavro::faceName;
using tavro::faceNumberFromName;

TEST(FaceNames, AreTheDecimalTextOfTheNumber) {
  EXPECT_EQ(faceName(0), "0");
  EXPECT_EQ(faceName(7), "7");
  EXPECT_EQ(faceName(19), "19");
}

TEST(FaceNames, ReadBackAsTheirNumber) {
  for (std::int16_t n = 0; n <= 19; ++n) EXPECT_EQ(faceNumberFromName(faceName(n)), n);
}

TEST(FaceNames, EmptyOrNonNumericTextReadsAsZero) {
  EXPECT_EQ(faceNumberFromName(""), 0);
  EXPECT_EQ(faceNumberFromName("abc"), 0);
  EXPECT_EQ(faceNumberFromName("-"), 0);
  EXPECT_EQ(faceNumberFromName("."), 0);
  EXPECT_EQ(faceNumberFromName("x12"), 0);
}

TEST(FaceNames, OnlyTheLeadingNumberCounts) {
  EXPECT_EQ(faceNumberFromName("12abc"), 12);
  EXPECT_EQ(faceNumberFromName("  3"), 3);
  EXPECT_EQ(faceNumberFromName("+4"), 4);
  EXPECT_EQ(faceNumberFromName("-1"), -1);
  EXPECT_EQ(faceNumberFromName("1e1"), 10);
  EXPECT_EQ(faceNumberFromName("1e"), 1);
  EXPECT_EQ(faceNumberFromName("5 6"), 5);
}

TEST(FaceNames, FractionsRoundTiesToEven) {
  EXPECT_EQ(faceNumberFromName("2.5"), 2);
  EXPECT_EQ(faceNumberFromName("3.5"), 4);
  EXPECT_EQ(faceNumberFromName(".5"), 0);
  EXPECT_EQ(faceNumberFromName("12.51"), 13);
  EXPECT_EQ(faceNumberFromName("-2.5"), -2);
}

TEST(FaceNames, NumbersBeyondSixteenBitsOverflow) {
  EXPECT_EQ(faceNumberFromName("32767"), 32767);
  EXPECT_EQ(faceNumberFromName("-32768"), -32768);
  try {
    faceNumberFromName("32767.5");
    FAIL() << "no overflow";
  } catch (const tavro::Error& e) {
    EXPECT_EQ(e.kind(), tavro::ErrorKind::Overflow);
  }
  EXPECT_THROW(faceNumberFromName("1e400"), tavro::Error);
}

}  // namespace

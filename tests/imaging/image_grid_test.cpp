// The image grid: init, point access, sampling a surface (update) and white
// noise, with their errors and the state each error leaves.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"
#include "platform/random.h"
#include "tests/imaging/error_kind_of.h"
#include "tests/imaging/fake_picture_surface.h"

namespace tavro {
namespace {

// Level 20 x + y at surface point (x, y): every point tells where it was read.
FakePictureSurface positionalGrey(float scaleWidth, float scaleHeight) {
  return FakePictureSurface(scaleWidth, scaleHeight, [](float x, float y) {
    const int level = 20 * static_cast<int>(x) + static_cast<int>(y);
    return rgb(level, level, level);
  });
}

void expectAllCells(const classImageProcessing& grid, int value) {
  for (int x = 0; x < grid.width(); ++x)
    for (int y = 0; y < grid.height(); ++y)
      ASSERT_EQ(grid.getPoint(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)), value)
          << "cell " << x << "," << y;
}

// ---------------------------------------------------------------- init

TEST(GridInit, SizesEveryArrayAndResetsTheDefaults) {
  classImageProcessing grid;
  grid.setTraceEdgesThresh(7);
  grid.setProcessType(3);
  grid.setEdgeThreshold(0.5f);
  grid.setMinEdgeLength(2);
  grid.init(25, 25);
  EXPECT_EQ(grid.width(), 25);
  EXPECT_EQ(grid.height(), 25);
  EXPECT_EQ(grid.minEdgeLength(), 10);
  EXPECT_EQ(grid.edgesWidth(), 12);  // 12.5 rounds to even
  EXPECT_EQ(grid.edgesHeight(), 12);
  EXPECT_EQ(grid.processType(), 0);
  EXPECT_EQ(grid.EdgeThreshold(), 0.0f);
  EXPECT_EQ(grid.TraceEdgesThresh(), 7);  // left as it was
  EXPECT_EQ(grid.imageGridView().upperX(), 25);
  EXPECT_EQ(grid.imageGridView().upperY(), 25);
  EXPECT_EQ(grid.tracedMapView().upperX(), 25);
  EXPECT_EQ(grid.traceVisitedView().upperY(), 25);
  EXPECT_EQ(grid.edgeGridView().upperX(), 12);
  EXPECT_EQ(grid.edgeGridView().upperY(), 12);
  for (int x = 0; x <= 25; ++x)
    for (int y = 0; y <= 25; ++y) ASSERT_EQ(grid.imageGridView().at(x, y), 0);
}

TEST(GridInit, EdgeMapSizeIsHalfRoundedToEven) {
  classImageProcessing grid;
  grid.init(7, 5);
  EXPECT_EQ(grid.edgesWidth(), 4);   // 3.5
  EXPECT_EQ(grid.edgesHeight(), 2);  // 2.5
  grid.init(1, 3);
  EXPECT_EQ(grid.edgesWidth(), 0);   // 0.5
  EXPECT_EQ(grid.edgesHeight(), 2);  // 1.5
}

TEST(GridInit, ASecondInitDiscardsTheCells) {
  classImageProcessing grid;
  grid.init(4, 4);
  grid.setPoint(3, 3, 9);
  grid.setPoint(4, 4, 9);
  grid.init(4, 4);
  EXPECT_EQ(grid.getPoint(3, 3), 0);
  EXPECT_EQ(grid.getPoint(4, 4), 0);
  grid.init(2, 6);
  EXPECT_EQ(grid.getPoint(2, 6), 0);
  EXPECT_EQ(kindOf([&] { grid.getPoint(3, 0); }), ErrorKind::SubscriptOutOfRange);
}

TEST(GridInit, NegativeSizeFailsAfterTheSizeIsStored) {
  classImageProcessing grid;
  EXPECT_EQ(kindOf([&] { grid.init(-1, 5); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(grid.width(), -1);
  EXPECT_EQ(grid.height(), 5);
  EXPECT_EQ(kindOf([&] { grid.getPoint(0, 0); }), ErrorKind::SubscriptOutOfRange);
}

TEST(GridInit, AbsurdSizeIsRefusedAsOutOfMemory) {
  classImageProcessing grid;
  try {
    grid.init(32767, 32767);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Platform);
    EXPECT_STREQ(e.what(), "Out of memory");
  }
}

TEST(GridInit, ZeroSizeGridHasOnlyItsSpareCell) {
  classImageProcessing grid;
  grid.init(0, 0);
  EXPECT_EQ(grid.getPoint(0, 0), 0);
  EXPECT_EQ(grid.edgesWidth(), 0);
  EXPECT_EQ(kindOf([&] { grid.getPoint(1, 0); }), ErrorKind::SubscriptOutOfRange);
}

// ---------------------------------------------------------------- point access

TEST(GridPoints, BeforeInitEveryAccessIsOutOfRange) {
  classImageProcessing grid;
  EXPECT_EQ(grid.width(), 0);
  EXPECT_EQ(kindOf([&] { grid.getPoint(0, 0); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { grid.setPoint(0, 0, 1); }), ErrorKind::SubscriptOutOfRange);
}

TEST(GridPoints, BoundsAreInclusive) {
  classImageProcessing grid;
  grid.init(3, 2);
  EXPECT_EQ(grid.getPoint(3, 2), 0);
  grid.setPoint(3, 2, 200);
  EXPECT_EQ(grid.getPoint(3, 2), 200);
  grid.setPoint(0, 0, 255);
  EXPECT_EQ(grid.getPoint(0, 0), 255);
  EXPECT_EQ(kindOf([&] { grid.getPoint(4, 0); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { grid.getPoint(0, 3); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { grid.getPoint(-1, 0); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { grid.setPoint(0, -32768, 1); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(kindOf([&] { grid.setPoint(4, 2, 1); }), ErrorKind::SubscriptOutOfRange);
}

// ---------------------------------------------------------------- sampling: values

TEST(GridSampling, GreyLevelsComeBackExactlyInMode0) {
  for (const int level : {0, 1, 2, 127, 128, 200, 254, 255}) {
    classImageProcessing grid;
    grid.init(4, 3);
    auto onePointPerCell = FakePictureSurface::plain(4, 3, rgb(level, level, level));
    grid.update(onePointPerCell);
    expectAllCells(grid, level);
    auto fourPointsPerCell = FakePictureSurface::plain(8, 6, rgb(level, level, level));
    grid.update(fourPointsPerCell);
    expectAllCells(grid, level);
  }
}

TEST(GridSampling, EachModeReadsItsPartOfThePackedColour) {
  // rgb(10, 200, 30) packs to 2017290.
  const std::int32_t colour = rgb(10, 200, 30);
  const int expected[] = {31,    // 2017290 / 16777215 x 255 = 30.66
                          10,    // red
                          200,   // green
                          30};   // blue
  for (std::int16_t mode = 0; mode <= 3; ++mode) {
    classImageProcessing grid;
    grid.init(2, 2);
    grid.setProcessType(mode);
    auto surface = FakePictureSurface::plain(2, 2, colour);
    grid.update(surface);
    expectAllCells(grid, expected[mode]);
  }
}

TEST(GridSampling, Mode0IsDominatedByBlue) {
  classImageProcessing grid;
  grid.init(1, 1);
  auto blue = FakePictureSurface::plain(1, 1, rgb(0, 0, 255));
  grid.update(blue);
  EXPECT_EQ(grid.getPoint(0, 0), 254);  // 16711680 / 16777215 x 255 = 254.004
  auto red = FakePictureSurface::plain(1, 1, rgb(255, 0, 0));
  grid.update(red);
  EXPECT_EQ(grid.getPoint(0, 0), 0);  // 255 / 16777215 x 255 = 0.004
}

TEST(GridSampling, UnknownModesTurnEveryCellToZero) {
  for (const std::int16_t mode : {4, 7, -1}) {
    classImageProcessing grid;
    grid.init(2, 2);
    grid.setPoint(0, 0, 99);
    grid.setPoint(2, 2, 99);
    grid.setProcessType(mode);
    auto white = FakePictureSurface::plain(2, 2, rgb(255, 255, 255));
    grid.update(white);
    expectAllCells(grid, 0);
    EXPECT_EQ(grid.getPoint(2, 2), 99);
    EXPECT_EQ(white.readCount(), 4u);  // the surface is still read
  }
}

TEST(GridSampling, AllBitsSetColourReadsAsBlackOrAsAFullComponent) {
  const int expected[] = {0, 255, 255, 255};  // -1 / 16777215 x 255 is a tiny negative
  for (std::int16_t mode = 0; mode <= 3; ++mode) {
    classImageProcessing grid;
    grid.init(1, 1);
    grid.setProcessType(mode);
    auto surface = FakePictureSurface::plain(1, 1, -1);
    grid.update(surface);
    EXPECT_EQ(grid.getPoint(0, 0), expected[mode]) << "mode " << mode;
  }
}

TEST(GridSampling, BlockAverageRoundsHalfToEven) {
  classImageProcessing grid;
  grid.init(1, 1);
  // Two points, white and black: 0.5 x 255 = 127.5 gives 128.
  FakePictureSurface halfWhite(2, 1, [](float x, float) { return x < 1 ? rgb(255, 255, 255) : 0; });
  grid.update(halfWhite);
  EXPECT_EQ(grid.getPoint(0, 0), 128);
  // Four points, one white: 63.75 gives 64.
  FakePictureSurface quarterWhite(2, 2, [](float x, float y) {
    return x < 1 && y < 1 ? rgb(255, 255, 255) : 0;
  });
  grid.update(quarterWhite);
  EXPECT_EQ(grid.getPoint(0, 0), 64);
}

// ---------------------------------------------------------------- sampling: where

TEST(GridSampling, ApplicationScaleReadsOnePointPerCellAtItsProportionalPosition) {
  classImageProcessing grid;
  grid.init(25, 25);
  auto surface = positionalGrey(9.15f, 10.35f);
  grid.update(surface);
  ASSERT_EQ(surface.reads().size(), 625u);  // blocks of 1 x 1 (0.366 and 0.414 round to 0)
  using Point = std::pair<float, float>;
  EXPECT_EQ(surface.reads()[0], Point(0, 0));
  EXPECT_EQ(surface.reads()[1 * 25 + 3], Point(0, 1));    // 0.366, 1.242
  EXPECT_EQ(surface.reads()[12 * 25 + 12], Point(4, 5));  // 4.392, 4.968
  EXPECT_EQ(surface.reads()[24 * 25 + 24], Point(9, 10)); // 8.784, 9.936
  EXPECT_EQ(grid.getPoint(24, 24), 190);
  EXPECT_EQ(grid.getPoint(12, 12), 85);
}

TEST(GridSampling, OnePointPerCellGivesTheRoundedFractionOfWhiteForEveryColour) {
  // 4096 x 4096 points read one to a cell, each a different colour 0..0xFFFFFF.
  FakePictureSurface surface(4096, 4096, [](float x, float y) {
    return static_cast<std::int32_t>(x) * 4096 + static_cast<std::int32_t>(y);
  });
  surface.stopRecording();
  classImageProcessing grid;
  grid.init(4096, 4096);
  grid.update(surface);
  int wrong = 0;
  for (int x = 0; x < 4096; ++x)
    for (int y = 0; y < 4096; ++y)
      wrong += grid.imageGridView().at(x, y) != checked::roundHalfEven((x * 4096 + y) / 16777215.0 * 255.0);
  EXPECT_EQ(wrong, 0);
}

TEST(GridSampling, BlockOriginRoundsHalfToEven) {
  classImageProcessing grid;
  grid.init(4, 1);
  // Origins 0, 0.5, 1, 1.5 round to 0, 0, 1, 2.
  auto surface = positionalGrey(2, 1);
  grid.update(surface);
  using Point = std::pair<float, float>;
  const std::vector<Point> expected = {{0, 0}, {0, 0}, {1, 0}, {2, 0}};
  EXPECT_EQ(surface.reads(), expected);
  EXPECT_EQ(grid.getPoint(0, 0), 0);
  EXPECT_EQ(grid.getPoint(1, 0), 0);
  EXPECT_EQ(grid.getPoint(2, 0), 20);
  EXPECT_EQ(grid.getPoint(3, 0), 40);
}

TEST(GridSampling, BlockSizeRoundsHalfToEven) {
  classImageProcessing grid;
  grid.init(2, 1);
  auto narrow = positionalGrey(5, 1);  // 2.5 points per cell: blocks of 2, origins 0 and 2.5 -> 2
  grid.update(narrow);
  using Point = std::pair<float, float>;
  const std::vector<Point> expectedNarrow = {{0, 0}, {1, 0}, {2, 0}, {3, 0}};
  EXPECT_EQ(narrow.reads(), expectedNarrow);
  EXPECT_EQ(grid.getPoint(1, 0), 50);
  auto wide = positionalGrey(7, 1);  // 3.5 points per cell: blocks of 4, origins 0 and 3.5 -> 4
  grid.update(wide);
  ASSERT_EQ(wide.reads().size(), 8u);
  EXPECT_EQ(wide.reads()[4], Point(4, 0));
  EXPECT_EQ(wide.reads()[7], Point(7, 0));
  EXPECT_EQ(grid.getPoint(0, 0), 30);   // levels 0, 20, 40, 60
  EXPECT_EQ(grid.getPoint(1, 0), 110);  // levels 80 .. 140
}

TEST(GridSampling, TinySurfaceGivesNeighboursThatShareAPoint) {
  classImageProcessing grid;
  grid.init(5, 5);
  // Origins 0, 0.4, 0.8, 1.2, 1.6 round to 0, 0, 1, 1, 2.
  FakePictureSurface surface(2, 2, [](float x, float) {
    const int level = 100 + 50 * static_cast<int>(x);
    return rgb(level, level, level);
  });
  grid.update(surface);
  const int expected[] = {100, 100, 150, 150, 200};
  for (std::int16_t x = 0; x < 5; ++x)
    for (std::int16_t y = 0; y < 5; ++y) EXPECT_EQ(grid.getPoint(x, y), expected[x]);
  EXPECT_EQ(surface.reads().size(), 25u);
}

TEST(GridSampling, SpareColumnAndRowAreNeverWritten) {
  classImageProcessing grid;
  grid.init(3, 3);
  grid.setPoint(3, 1, 77);
  grid.setPoint(1, 3, 88);
  grid.setPoint(3, 3, 99);
  auto white = FakePictureSurface::plain(3, 3, rgb(255, 255, 255));
  grid.update(white);
  expectAllCells(grid, 255);
  EXPECT_EQ(grid.getPoint(3, 1), 77);
  EXPECT_EQ(grid.getPoint(1, 3), 88);
  EXPECT_EQ(grid.getPoint(3, 3), 99);
  EXPECT_EQ(grid.getPoint(3, 0), 0);
}

// ---------------------------------------------------------------- sampling: region forms

TEST(GridRegion, WholeSurfaceWhenLeftOrTopIsMissing) {
  // Whole surface 10 x 5 over 5 x 5 cells: blocks of 2 x 1 at (2x, y), levels
  // 40x + y and 40x + 20 + y, mean 40x + 10 + y.
  auto check = [](const classImageProcessing& grid) {
    EXPECT_EQ(grid.getPoint(0, 0), 10);
    EXPECT_EQ(grid.getPoint(1, 2), 52);
    EXPECT_EQ(grid.getPoint(4, 4), 174);
  };
  classImageProcessing grid;
  grid.init(5, 5);
  auto surface = positionalGrey(10, 5);
  grid.update(surface);
  check(grid);
  grid.init(5, 5);
  grid.update(surface, std::nullopt, 3.0, 4.0, 2.0);
  check(grid);
  grid.init(5, 5);
  grid.update(surface, 3.0, std::nullopt, 4.0, 2.0);
  check(grid);
  grid.init(5, 5);
  grid.update(surface, 3.0);
  check(grid);
}

TEST(GridRegion, FourArgumentsSampleThatRectangle) {
  classImageProcessing grid;
  grid.init(2, 2);
  auto surface = positionalGrey(10, 5);
  // Blocks of 4/2 x 2/2 points at (4 + 2x, 1 + y).
  grid.update(surface, 4.0, 1.0, 4.0, 2.0);
  using Point = std::pair<float, float>;
  const std::vector<Point> expected = {{4, 1}, {5, 1}, {4, 2}, {5, 2},
                                       {6, 1}, {7, 1}, {6, 2}, {7, 2}};
  EXPECT_EQ(surface.reads(), expected);
  EXPECT_EQ(grid.getPoint(0, 0), 91);   // 81, 101
  EXPECT_EQ(grid.getPoint(0, 1), 92);
  EXPECT_EQ(grid.getPoint(1, 0), 131);  // 121, 141
  EXPECT_EQ(grid.getPoint(1, 1), 132);
}

TEST(GridRegion, MissingSizeWithACornerIsATypeMismatchBeforeAnyCell) {
  classImageProcessing grid;
  grid.init(2, 2);
  grid.setPoint(0, 0, 77);
  auto surface = positionalGrey(10, 5);
  EXPECT_EQ(kindOf([&] { grid.update(surface, 1.0, 1.0, 4.0); }), ErrorKind::TypeMismatch);
  EXPECT_EQ(kindOf([&] { grid.update(surface, 1.0, 1.0, std::nullopt, 4.0); }),
            ErrorKind::TypeMismatch);
  EXPECT_EQ(kindOf([&] { grid.update(surface, 1.0, 1.0); }), ErrorKind::TypeMismatch);
  EXPECT_EQ(grid.getPoint(0, 0), 77);
  EXPECT_TRUE(surface.reads().empty());
}

// ---------------------------------------------------------------- sampling: failures

TEST(GridSamplingFailure, NoSizeIsADivisionByZero) {
  auto surface = FakePictureSurface::plain(4, 4, 0);
  classImageProcessing fresh;
  EXPECT_EQ(kindOf([&] { fresh.update(surface); }), ErrorKind::DivisionByZero);
  classImageProcessing noColumns;
  noColumns.init(0, 3);
  EXPECT_EQ(kindOf([&] { noColumns.update(surface); }), ErrorKind::DivisionByZero);
  classImageProcessing noRows;
  noRows.init(3, 0);
  EXPECT_EQ(kindOf([&] { noRows.update(surface); }), ErrorKind::DivisionByZero);
  EXPECT_TRUE(surface.reads().empty());
}

TEST(GridSamplingFailure, SizeSetByHandWithoutInitFailsAtTheFirstCell) {
  classImageProcessing grid;
  grid.setWidth(2);
  grid.setHeight(2);
  auto surface = FakePictureSurface::plain(2, 2, 0);
  EXPECT_EQ(kindOf([&] { grid.update(surface); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_TRUE(surface.reads().empty());
}

TEST(GridSamplingFailure, HugeRegionsOverflowCleanly) {
  classImageProcessing grid;
  grid.init(25, 25);
  grid.setPoint(0, 0, 5);
  auto surface = FakePictureSurface::plain(10, 10, 0);
  // Block size 1e6 / 25 = 40000.
  EXPECT_EQ(kindOf([&] { grid.update(surface, 0.0, 0.0, 1e6, 10.0); }), ErrorKind::Overflow);
  // Blocks of 200 x 200: the area 40000 is beyond 16 bits.
  EXPECT_EQ(kindOf([&] { grid.update(surface, 0.0, 0.0, 5000.0, 5000.0); }), ErrorKind::Overflow);
  // Block origin 40000.
  EXPECT_EQ(kindOf([&] { grid.update(surface, 40000.0, 0.0, 25.0, 25.0); }), ErrorKind::Overflow);
  // Origin 32767 plus a block of 2.
  EXPECT_EQ(kindOf([&] { grid.update(surface, 32767.0, 0.0, 50.0, 25.0); }), ErrorKind::Overflow);
  // An argument beyond the 32-bit float range.
  EXPECT_EQ(kindOf([&] { grid.update(surface, 1e39, 0.0, 25.0, 25.0); }), ErrorKind::Overflow);
  EXPECT_TRUE(surface.reads().empty());
  EXPECT_EQ(grid.getPoint(0, 0), 5);
}

TEST(GridSamplingFailure, SurfaceWithoutAUsableScaleOverflows) {
  classImageProcessing grid;
  grid.init(2, 2);
  auto notANumber = FakePictureSurface::plain(std::numeric_limits<float>::quiet_NaN(), 2, 0);
  EXPECT_EQ(kindOf([&] { grid.update(notANumber); }), ErrorKind::Overflow);
  auto endless = FakePictureSurface::plain(std::numeric_limits<float>::infinity(), 2, 0);
  EXPECT_EQ(kindOf([&] { grid.update(endless); }), ErrorKind::Overflow);
}

TEST(GridSamplingFailure, LoopBoundBeyondSixteenBitsOverflows) {
  classImageProcessing grid;
  grid.setWidth(-32768);
  grid.setHeight(-32768);
  auto surface = FakePictureSurface::plain(2, 2, 0);
  EXPECT_EQ(kindOf([&] { grid.update(surface); }), ErrorKind::Overflow);  // width - 1
}

TEST(GridSamplingFailure, ColourBeyondWhiteOverflowsTheCellAndKeepsEarlierCells) {
  classImageProcessing grid;
  grid.init(2, 1);
  grid.setPoint(1, 0, 7);
  FakePictureSurface surface(2, 1, [](float x, float) { return x < 1 ? rgb(9, 9, 9) : 0x7FFFFFFF; });
  EXPECT_EQ(kindOf([&] { grid.update(surface); }), ErrorKind::Overflow);  // 32640 is no byte
  EXPECT_EQ(grid.getPoint(0, 0), 9);
  EXPECT_EQ(grid.getPoint(1, 0), 7);
}

TEST(GridSamplingFailure, FailedReadIsPassedOnAndEarlierCellsStay) {
  classImageProcessing grid;
  grid.init(2, 2);
  grid.setPoint(1, 0, 7);
  grid.setPoint(1, 1, 8);
  auto surface = FakePictureSurface::plain(2, 2, rgb(50, 50, 50));
  surface.failAfter(2);
  try {
    grid.update(surface);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Platform);
    EXPECT_STREQ(e.what(), "Picture read failed");
  }
  EXPECT_EQ(grid.getPoint(0, 0), 50);
  EXPECT_EQ(grid.getPoint(0, 1), 50);
  EXPECT_EQ(grid.getPoint(1, 0), 7);
  EXPECT_EQ(grid.getPoint(1, 1), 8);
}

// ---------------------------------------------------------------- white noise

// Replaces the random source for one test and restores the default after it.
class ScriptedRandom {
 public:
  explicit ScriptedRandom(std::vector<double> values) : values_(std::move(values)) {
    setRandomSource([this] { return values_.at(next_++); });
  }
  ~ScriptedRandom() { setRandomSource({}); }
  ScriptedRandom(const ScriptedRandom&) = delete;
  ScriptedRandom& operator=(const ScriptedRandom&) = delete;

 private:
  std::vector<double> values_;
  std::size_t next_ = 0;
};

TEST(WhiteNoise, EachCellIsTheNextRandomValueTimes255RoundedHalfToEven) {
  ScriptedRandom random({0.0, 0.5, 0.999, 0.002, 0.25, 0.75});
  classImageProcessing grid;
  grid.init(2, 3);
  grid.setPoint(2, 3, 42);
  grid.whiteNoise();
  EXPECT_EQ(grid.getPoint(0, 0), 0);
  EXPECT_EQ(grid.getPoint(0, 1), 128);  // 127.5
  EXPECT_EQ(grid.getPoint(0, 2), 255);  // 254.745
  EXPECT_EQ(grid.getPoint(1, 0), 1);    // 0.51
  EXPECT_EQ(grid.getPoint(1, 1), 64);   // 63.75
  EXPECT_EQ(grid.getPoint(1, 2), 191);  // 191.25
  EXPECT_EQ(grid.getPoint(2, 3), 42);
}

TEST(WhiteNoise, ValueBeyondOneOverflowsTheCell) {
  ScriptedRandom random({0.1, 1.01});
  classImageProcessing grid;
  grid.init(1, 2);
  EXPECT_EQ(kindOf([&] { grid.whiteNoise(); }), ErrorKind::Overflow);  // 257.55
  EXPECT_EQ(grid.getPoint(0, 0), 26);                                   // 0.1 x 255 = 25.5
}

TEST(WhiteNoise, BeforeInitItDoesNothing) {
  classImageProcessing grid;
  grid.whiteNoise();
  EXPECT_EQ(grid.width(), 0);
  grid.setWidth(3);
  grid.setHeight(1);
  EXPECT_EQ(kindOf([&] { grid.whiteNoise(); }), ErrorKind::SubscriptOutOfRange);
}

TEST(WhiteNoise, DefaultGeneratorRepeatsFromItsFixedStart) {
  setRandomSource({});
  const double first = nextRandom();
  const double second = nextRandom();
  setRandomSource({});
  EXPECT_EQ(nextRandom(), first);
  EXPECT_EQ(nextRandom(), second);
  EXPECT_NE(first, second);
  for (int i = 0; i < 1000; ++i) {
    const double r = nextRandom();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
  setRandomSource({});
}

}  // namespace
}  // namespace tavro

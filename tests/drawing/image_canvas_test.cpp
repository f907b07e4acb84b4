// The QImage canvas: pixels drawn, state kept, bad input refused, PNG saved.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "drawing/image_canvas.h"
#include "imaging/image_processing.h"
#include "platform/errors.h"

namespace tavro {
namespace {

constexpr std::int32_t kRed = rgb(255, 0, 0);
constexpr std::int32_t kBlue = rgb(0, 0, 255);
constexpr std::int32_t kWhite = rgb(255, 255, 255);

template <class F>
void expectPlatformError(F&& call, const char* what) {
  try {
    call();
    ADD_FAILURE() << "expected a platform error: " << what;
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Platform) << what;
    EXPECT_STRNE(e.what(), "") << what;
  }
}

TEST(DrawingImageCanvas, NewCanvasIsBackgroundAndScaleIsPixelSize) {
  ImageCanvas canvas(30, 20, rgb(1, 2, 3));
  EXPECT_EQ(canvas.scaleWidth(), 30.0f);
  EXPECT_EQ(canvas.scaleHeight(), 20.0f);
  EXPECT_EQ(canvas.point(0, 0), rgb(1, 2, 3));
  EXPECT_EQ(canvas.point(29, 19), rgb(1, 2, 3));
}

TEST(DrawingImageCanvas, PointReadsThePixelAndTheNearestEdgePastTheEdge) {
  QImage picture(2, 2, QImage::Format_RGB32);
  picture.setPixel(0, 0, qRgb(10, 20, 30));
  picture.setPixel(1, 0, qRgb(40, 50, 60));
  picture.setPixel(0, 1, qRgb(70, 80, 90));
  picture.setPixel(1, 1, qRgb(100, 110, 120));
  const ImageCanvas canvas(picture);
  EXPECT_EQ(canvas.point(1.0f, 0.0f), rgb(40, 50, 60));
  EXPECT_EQ(canvas.point(0.9f, 1.5f), rgb(70, 80, 90));      // the pixel under the point
  EXPECT_EQ(canvas.point(5.0f, 7.0f), rgb(100, 110, 120));   // past the corner
  EXPECT_EQ(canvas.point(-3.0f, 0.0f), rgb(10, 20, 30));
  expectPlatformError([&] { canvas.point(std::nanf(""), 0.0f); }, "NaN point");
}

TEST(DrawingImageCanvas, SolidBoxFillsWithFillColourInsideItsOutline) {
  ImageCanvas canvas(10, 10);
  canvas.setFillStyle(0);
  canvas.setFillColor(kBlue);
  canvas.box(2, 2, 6, 6, kRed);
  EXPECT_EQ(canvas.point(4, 4), kBlue);
  EXPECT_EQ(canvas.point(2, 2), kRed);
  EXPECT_EQ(canvas.point(6, 4), kRed);
  EXPECT_EQ(canvas.point(7, 7), kWhite);
  EXPECT_EQ(canvas.point(1, 4), kWhite);
}

TEST(DrawingImageCanvas, TransparentBoxDrawsOnlyItsOutline) {
  ImageCanvas canvas(10, 10);
  canvas.setFillStyle(1);
  canvas.setFillColor(kBlue);
  canvas.box(6, 6, 2, 2, kRed);  // corners in either order
  EXPECT_EQ(canvas.point(4, 4), kWhite);
  EXPECT_EQ(canvas.point(2, 4), kRed);
}

TEST(DrawingImageCanvas, LinesMoveTheCurrentPositionAndLineToStartsThere) {
  ImageCanvas canvas(10, 10);
  canvas.line(0, 1, 8, 1, kRed);
  EXPECT_EQ(canvas.point(4, 1), kRed);
  EXPECT_EQ(canvas.currentPosition(), QPointF(8, 1));
  canvas.lineTo(8, 8, kBlue);
  EXPECT_EQ(canvas.point(8, 5), kBlue);
  EXPECT_EQ(canvas.currentPosition(), QPointF(8, 8));
  EXPECT_EQ(canvas.point(5, 5), kWhite);
}

TEST(DrawingImageCanvas, LineOfNoLengthMarksItsPixel) {
  ImageCanvas canvas(5, 5);
  canvas.line(2, 3, 2, 3, kRed);
  EXPECT_EQ(canvas.point(2, 3), kRed);
}

TEST(DrawingImageCanvas, ClsClearsToBackgroundAndResetsPosition) {
  ImageCanvas canvas(5, 5, kBlue);
  canvas.line(0, 0, 4, 4, kRed);
  canvas.cls();
  EXPECT_EQ(canvas.point(2, 2), kBlue);
  EXPECT_EQ(canvas.currentPosition(), QPointF(0, 0));
}

TEST(DrawingImageCanvas, KeepsTheSettingsItWasGiven) {
  ImageCanvas canvas(5, 5);
  canvas.setFillStyle(7);
  canvas.setFillColor(rgb(9, 8, 7));
  canvas.setDrawWidth(3);
  EXPECT_EQ(canvas.fillStyle(), 7);
  EXPECT_EQ(canvas.fillColor(), rgb(9, 8, 7));
  EXPECT_EQ(canvas.drawWidth(), 3);
}

TEST(DrawingImageCanvas, RefusesBadSettingsAndKeepsTheOldOnes) {
  ImageCanvas canvas(5, 5);
  canvas.setFillStyle(0);
  canvas.setFillColor(kRed);
  expectPlatformError([&] { canvas.setFillStyle(8); }, "style 8");
  expectPlatformError([&] { canvas.setFillStyle(-1); }, "style -1");
  expectPlatformError([&] { canvas.setFillColor(-1); }, "colour -1");
  expectPlatformError([&] { canvas.setFillColor(0x1000000); }, "colour 2^24");
  expectPlatformError([&] { canvas.setDrawWidth(0); }, "width 0");
  EXPECT_EQ(canvas.fillStyle(), 0);
  EXPECT_EQ(canvas.fillColor(), kRed);
  EXPECT_EQ(canvas.drawWidth(), 1);
}

TEST(DrawingImageCanvas, RefusesCoordinatesItCannotDrawWithoutDrawing) {
  ImageCanvas canvas(5, 5);
  const float inf = std::numeric_limits<float>::infinity();
  expectPlatformError([&] { canvas.line(0, 0, inf, 0, kRed); }, "infinite line end");
  expectPlatformError([&] { canvas.box(std::nanf(""), 0, 2, 2, kRed); }, "NaN box corner");
  expectPlatformError([&] { canvas.lineTo(1e30f, 1, kRed); }, "huge lineTo");
  expectPlatformError([&] { canvas.line(0, 0, 4, 4, -5); }, "bad line colour");
  EXPECT_EQ(canvas.point(0, 0), kWhite);
  EXPECT_EQ(canvas.point(2, 2), kWhite);
  EXPECT_EQ(canvas.currentPosition(), QPointF(0, 0));
}

TEST(DrawingImageCanvas, RefusesSizesItCannotHold) {
  expectPlatformError([] { ImageCanvas canvas{0, 5}; }, "zero width");
  expectPlatformError([] { ImageCanvas canvas{5, -1}; }, "negative height");
  expectPlatformError([] { ImageCanvas canvas{ImageCanvas::kMaxSide + 1, 1}; }, "too wide");
  expectPlatformError([] { ImageCanvas canvas{QImage{}}; }, "null picture");
  expectPlatformError([] { ImageCanvas canvas{3, 3, -1}; }, "bad background");
}

TEST(DrawingImageCanvas, SavesAPngThatLoadsBackWithItsPixels) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ImageCanvas canvas(12, 8);
  canvas.setFillStyle(0);
  canvas.setFillColor(kBlue);
  canvas.box(0, 0, 5, 5, kBlue);
  const QString path = dir.filePath("canvas.png");
  canvas.savePng(path);
  EXPECT_GT(QFileInfo(path).size(), 0);
  const QImage loaded(path, "PNG");
  ASSERT_FALSE(loaded.isNull());
  EXPECT_EQ(loaded.size(), QSize(12, 8));
  EXPECT_EQ(loaded.pixel(3, 3), qRgb(0, 0, 255));
  EXPECT_EQ(loaded.pixel(9, 7), qRgb(255, 255, 255));
}

TEST(DrawingImageCanvas, SavingWhereNoFileCanBeWrittenIsAPlatformError) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const ImageCanvas canvas(4, 4);
  expectPlatformError([&] { canvas.savePng(dir.filePath("missing/folder/canvas.png")); }, "missing folder");
}

TEST(DrawingImageCanvas, ShowsAGridCellByCell) {
  classImageProcessing grid;
  grid.init(2, 2);
  grid.setPoint(0, 0, 10);
  grid.setPoint(1, 0, 20);
  grid.setPoint(0, 1, 30);
  grid.setPoint(1, 1, 40);
  ImageCanvas canvas(20, 20);
  grid.show(canvas);
  EXPECT_EQ(canvas.point(4, 4), rgb(10, 10, 10));
  EXPECT_EQ(canvas.point(15, 4), rgb(20, 20, 20));
  EXPECT_EQ(canvas.point(4, 15), rgb(30, 30, 30));
  EXPECT_EQ(canvas.point(15, 15), rgb(40, 40, 40));
}

}  // namespace
}  // namespace tavro

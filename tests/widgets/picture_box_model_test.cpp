#include "widgets/picture_box_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imaging/image_processing.h"
#include "platform/errors.h"

namespace {

using tavro::PictureBoxModel;
using tavro::rgb;

constexpr std::int32_t kPlaceholder = rgb(160, 170, 190);
constexpr std::int32_t kBackground = rgb(212, 208, 200);

// A picture whose pixel (x, y) has red x and green y, so a read tells which
// pixel it came from.
QImage coordinatePicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.setPixelColor(x, y, QColor(x % 256, y % 256, 7));
  return picture;
}

QColor pixelAt(const PictureBoxModel& box, int x, int y) { return box.image().pixelColor(x, y); }

TEST(PictureBoxModelFaceBox, HasTheFaceBoxAreaScaleAndPlaceholder) {
  const PictureBoxModel box = PictureBoxModel::faceBox();
  EXPECT_EQ(box.drawingArea(), QSize(101, 101));
  EXPECT_EQ(box.scaleWidth(), 9.149987f);
  EXPECT_EQ(box.scaleHeight(), 10.349987f);
  EXPECT_EQ(box.picture().size(), QSize(100, 100));
  EXPECT_EQ(box.point(0.0f, 0.0f), kPlaceholder);
  EXPECT_EQ(box.point(9.0f, 10.0f), kPlaceholder);
  // Column 100 and row 100 lie beyond the 100 x 100 placeholder.
  EXPECT_EQ(box.point(9.1f, 0.0f), kBackground);
  EXPECT_EQ(box.point(0.0f, 10.3f), kBackground);
}

TEST(PictureBoxModelFaceBox, PlaceholdersHaveTheirFixedSizes) {
  EXPECT_EQ(tavro::facePlaceholder().size(), QSize(100, 100));
  EXPECT_EQ(tavro::displayPlaceholder().size(), QSize(160, 120));
}

TEST(PictureBoxModelPoint, MapsScaleUnitsToPixelsByFloor) {
  PictureBoxModel box = PictureBoxModel::faceBox();
  box.setPicture(coordinatePicture(101, 101));
  // floor(k * 101 / 9.149987) and floor(k * 101 / 10.349987).
  const int columns[] = {0, 11, 22, 33, 44, 55, 66, 77, 88, 99};
  const int rows[] = {0, 9, 19, 29, 39, 48, 58, 68, 78, 87, 97};
  for (int k = 0; k <= 9; ++k)
    EXPECT_EQ(box.point(static_cast<float>(k), 0.0f), rgb(columns[k], 0, 7)) << "column " << k;
  for (int k = 0; k <= 10; ++k)
    EXPECT_EQ(box.point(0.0f, static_cast<float>(k)), rgb(0, rows[k], 7)) << "row " << k;
  EXPECT_EQ(box.point(0.5f, 0.5f), rgb(5, 4, 7));
}

TEST(PictureBoxModelPoint, ReadsMinusOneOutsideTheArea) {
  const PictureBoxModel box = PictureBoxModel::faceBox();
  EXPECT_EQ(box.point(-0.01f, 0.0f), -1);
  EXPECT_EQ(box.point(0.0f, -0.01f), -1);
  EXPECT_EQ(box.point(9.149987f, 0.0f), -1);
  EXPECT_EQ(box.point(0.0f, 10.349987f), -1);
  EXPECT_EQ(box.point(1.0e30f, 1.0f), -1);
  EXPECT_EQ(box.point(std::numeric_limits<float>::quiet_NaN(), 1.0f), -1);
  EXPECT_EQ(box.point(std::numeric_limits<float>::infinity(), 1.0f), -1);
}

TEST(PictureBoxModelPicture, ShowsAPictureUnscaledFromTheTopLeftAndClipsIt) {
  PictureBoxModel box = PictureBoxModel::faceBox();
  box.setPicture(coordinatePicture(300, 200));
  EXPECT_EQ(box.picture().size(), QSize(101, 101));
  EXPECT_EQ(pixelAt(box, 100, 100), QColor(100, 100, 7));

  box.setPicture(coordinatePicture(10, 5));
  EXPECT_EQ(pixelAt(box, 9, 4), QColor(9, 4, 7));
  EXPECT_EQ(pixelAt(box, 10, 4), QColor(212, 208, 200));
  EXPECT_EQ(pixelAt(box, 9, 5), QColor(212, 208, 200));

  box.setPicture(QImage());
  EXPECT_EQ(box.point(0.0f, 0.0f), kBackground);
}

TEST(PictureBoxModelPicture, NotifiesItsListenerOfEveryChange) {
  PictureBoxModel box = PictureBoxModel::faceBox();
  int changes = 0;
  box.setChangeListener([&changes] { ++changes; });
  box.setPicture(coordinatePicture(5, 5));
  box.line(0.0f, 0.0f, 1.0f, 1.0f, 0);
  box.box(0.0f, 0.0f, 1.0f, 1.0f, 0);
  box.cls();
  EXPECT_EQ(changes, 4);
}

TEST(PictureBoxModelPicture, KeepsItsListenerAcrossAssignmentAndCopiesStartWithout) {
  PictureBoxModel box = PictureBoxModel::faceBox();
  int changes = 0;
  box.setChangeListener([&changes] { ++changes; });
  PictureBoxModel copy = box;
  copy.cls();
  EXPECT_EQ(changes, 0);
  box = PictureBoxModel(QSize(10, 10), 1.0f, 1.0f);
  box.cls();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.drawingArea(), QSize(10, 10));
}

TEST(PictureBoxModelPicture, RefusesAnInvalidAreaOrScale) {
  EXPECT_THROW(PictureBoxModel(QSize(0, 10), 1.0f, 1.0f), tavro::Error);
  EXPECT_THROW(PictureBoxModel(QSize(10, 10), 0.0f, 1.0f), tavro::Error);
  EXPECT_THROW(PictureBoxModel(QSize(10, 10), 1.0f, std::numeric_limits<float>::quiet_NaN()),
               tavro::Error);
  EXPECT_THROW(PictureBoxModel(QSize(100000, 10), 1.0f, 1.0f), tavro::Error);
}

// A 10 x 10 area with a scale of one unit per pixel keeps the drawing tests
// readable.
PictureBoxModel unitBox() {
  PictureBoxModel box(QSize(10, 10), 10.0f, 10.0f);
  box.setPicture(QImage());
  return box;
}

TEST(PictureBoxModelDrawing, DrawsLinesAndMovesTheCurrentPosition) {
  PictureBoxModel box = unitBox();
  box.line(1.0f, 2.0f, 6.0f, 2.0f, rgb(255, 0, 0));
  for (int x = 1; x <= 6; ++x) EXPECT_EQ(pixelAt(box, x, 2), QColor(255, 0, 0)) << x;
  EXPECT_EQ(pixelAt(box, 1, 3), QColor(212, 208, 200));
  EXPECT_EQ(box.currentPosition(), QPointF(6.0, 2.0));

  box.lineTo(6.0f, 8.0f, rgb(0, 0, 255));
  for (int y = 2; y <= 8; ++y) EXPECT_EQ(pixelAt(box, 6, y), QColor(0, 0, 255)) << y;
  EXPECT_EQ(box.currentPosition(), QPointF(6.0, 8.0));
}

TEST(PictureBoxModelDrawing, DrawsBoxesWithOutlineAndFill) {
  PictureBoxModel box = unitBox();
  // Transparent fill, the default: only the outline.
  box.box(1.0f, 1.0f, 4.0f, 4.0f, rgb(0, 255, 0));
  EXPECT_EQ(pixelAt(box, 1, 1), QColor(0, 255, 0));
  EXPECT_EQ(pixelAt(box, 4, 4), QColor(0, 255, 0));
  EXPECT_EQ(pixelAt(box, 2, 2), QColor(212, 208, 200));

  box.setFillStyle(0);
  box.setFillColor(rgb(9, 8, 7));
  box.box(8.0f, 8.0f, 5.0f, 5.0f, rgb(0, 255, 0));  // corners in any order
  EXPECT_EQ(pixelAt(box, 6, 6), QColor(9, 8, 7));
  EXPECT_EQ(pixelAt(box, 5, 7), QColor(0, 255, 0));
  EXPECT_EQ(pixelAt(box, 8, 8), QColor(0, 255, 0));
  EXPECT_EQ(pixelAt(box, 9, 9), QColor(212, 208, 200));
  EXPECT_EQ(box.currentPosition(), QPointF(5.0, 5.0));
}

TEST(PictureBoxModelDrawing, ClearingRestoresThePictureAndTheOrigin) {
  PictureBoxModel box = PictureBoxModel::faceBox();
  box.line(0.0f, 0.0f, 5.0f, 5.0f, rgb(0, 0, 0));
  EXPECT_EQ(box.point(0.0f, 0.0f), 0);
  box.cls();
  EXPECT_EQ(box.point(0.0f, 0.0f), kPlaceholder);
  EXPECT_EQ(box.currentPosition(), QPointF(0.0, 0.0));

  box.line(0.0f, 0.0f, 5.0f, 5.0f, rgb(0, 0, 0));
  box.setPicture(tavro::facePlaceholder());
  EXPECT_EQ(box.point(0.0f, 0.0f), kPlaceholder);
}

TEST(PictureBoxModelDrawing, DrawsThickLinesAndClipsAtTheEdge) {
  PictureBoxModel box = unitBox();
  box.setDrawWidth(3);
  box.line(-50.0f, 5.0f, 50.0f, 5.0f, rgb(1, 2, 3));
  EXPECT_EQ(pixelAt(box, 0, 5), QColor(1, 2, 3));
  EXPECT_EQ(pixelAt(box, 9, 4), QColor(1, 2, 3));
  EXPECT_EQ(pixelAt(box, 9, 6), QColor(1, 2, 3));
  EXPECT_EQ(pixelAt(box, 9, 8), QColor(212, 208, 200));
}

TEST(PictureBoxModelDrawing, RefusesInvalidSettingsAndCoordinates) {
  PictureBoxModel box = unitBox();
  const auto kindOf = [](auto&& operation) {
    try {
      operation();
    } catch (const tavro::Error& e) {
      return e.kind();
    }
    ADD_FAILURE() << "no error";
    return tavro::ErrorKind::TypeMismatch;
  };
  EXPECT_EQ(kindOf([&] { box.setFillStyle(8); }), tavro::ErrorKind::Platform);
  EXPECT_EQ(kindOf([&] { box.setFillStyle(-1); }), tavro::ErrorKind::Platform);
  EXPECT_EQ(kindOf([&] { box.setFillColor(-1); }), tavro::ErrorKind::Platform);
  EXPECT_EQ(kindOf([&] { box.setFillColor(rgb(255, 255, 255) + 1); }), tavro::ErrorKind::Platform);
  EXPECT_EQ(kindOf([&] { box.setDrawWidth(0); }), tavro::ErrorKind::Platform);
  EXPECT_EQ(kindOf([&] { box.line(0.0f, 0.0f, 1.0f, 1.0f, 1 << 24); }), tavro::ErrorKind::Platform);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(kindOf([&] { box.line(0.0f, 0.0f, nan, 1.0f, 0); }), tavro::ErrorKind::Overflow);
  EXPECT_EQ(kindOf([&] { box.box(0.0f, 0.0f, 1.0e30f, 1.0f, 0); }), tavro::ErrorKind::Overflow);
  // The settings in force are those last accepted.
  EXPECT_EQ(box.fillStyle(), 1);
  EXPECT_EQ(box.drawWidth(), 1);
}

TEST(PictureBoxModelSampling, AGridSamplesOnePointPerCell) {
  // The placeholder RGB(160, 170, 190) packs to 12495520; as a fraction of
  // white times 255 that is 189.92..., rounded 190.
  PictureBoxModel box = PictureBoxModel::faceBox();
  tavro::classImageProcessing grid;
  grid.init(25, 25);
  grid.update(box);
  EXPECT_EQ(grid.getPoint(0, 0), 190);
  EXPECT_EQ(grid.getPoint(24, 24), 190);

  // A white picture with one black pixel at (22, 19): the cell that reads
  // scale point (2, 2) are cells (5, 5) and (5, 4): 5 / 25 * 9.149987 = 1.83,
  // 5 / 25 * 10.349987 = 2.07 and 4 / 25 * 10.349987 = 1.66 all round to 2;
  // cell (4, 5) reads column 1 (1.46) and cell (5, 3) row 1 (1.24).
  QImage white(100, 100, QImage::Format_RGB32);
  white.fill(Qt::white);
  white.setPixelColor(22, 19, Qt::black);
  box.setPicture(white);
  grid.update(box);
  EXPECT_EQ(grid.getPoint(5, 5), 0);
  EXPECT_EQ(grid.getPoint(5, 4), 0);
  EXPECT_EQ(grid.getPoint(4, 5), 255);
  EXPECT_EQ(grid.getPoint(5, 3), 255);
}

}  // namespace

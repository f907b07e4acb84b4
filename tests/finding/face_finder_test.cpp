// Finding and cutting faces on pictures made here; tavro-faces' tests find
// faces in real photos.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "finding/face_finder.h"
#include "platform/errors.h"

namespace tavro {
namespace {

TEST(FaceCut, TheSquareAloneIsAveragedDownThenEqualised) {
  // In the square 100 columns striped 0 and 80 (averaging to 40), then 120; white around it.
  QImage picture(300, 300, QImage::Format_Grayscale8);
  picture.fill(255);
  for (int y = 60; y < 262; ++y)
    for (int x = 0; x < 202; ++x) picture.scanLine(y)[50 + x] = uchar(x >= 100 ? 120 : x % 2 * 80);
  const QImage face = FaceFinder::cutFace(picture, QRect(50, 60, 202, 202), QSize(101, 101));
  ASSERT_EQ(face.size(), QSize(101, 101));
  for (const QPoint at : {QPoint(0, 0), QPoint(49, 100), QPoint(50, 0), QPoint(100, 100)})
    EXPECT_EQ(face.constScanLine(at.y())[at.x()], at.x() < 50 ? 0 : 255) << at.x() << "," << at.y();
}

TEST(FaceFinder, NoFaceInSlimPicturesAndNoFinderWithoutItsCascade) {
  for (const QImage& picture : {QImage(1, 1, QImage::Format_RGB32), QImage(16384, 1, QImage::Format_Grayscale8)})
    EXPECT_FALSE(FaceFinder().faceSquare(picture)) << picture.width();
  EXPECT_THAT([] { FaceFinder("/nonexistent/cascade.xml"); },
              ::testing::ThrowsMessage<Error>(::testing::HasSubstr("the Debian package opencv-data")));
}

}  // namespace
}  // namespace tavro

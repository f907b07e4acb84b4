// Finding and cutting faces: the cut on pictures made here; the finder on
// real photos of the development set beside the project (skipped without it).

#include <gtest/gtest.h>

#include <QPainter>
#include <QTemporaryFile>
#include <opencv2/core/utility.hpp>

#include "finding/face_finder.h"
#include "platform/errors.h"

namespace tavro {
namespace {

TEST(FaceCut, TheSquareIsAveragedDownThenEqualised) {
  // Inside the square: 100 columns striped 0 and 80 (averaging to 40), then
  // 102 of 120; around it white, which must not reach the cut.
  QImage picture(300, 300, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int x = 0; x < 202; ++x)
    for (int y = 0; y < 202; ++y) {
      const int grey = x >= 100 ? 120 : x % 2 * 80;
      picture.setPixel(50 + x, 60 + y, qRgb(grey, grey, grey));
    }
  const QImage face = FaceFinder::cutFace(picture, QRect(50, 60, 202, 202), QSize(101, 101));
  ASSERT_EQ(face.size(), QSize(101, 101));
  ASSERT_EQ(face.format(), QImage::Format_Grayscale8);
  for (const QPoint at : {QPoint(0, 0), QPoint(49, 100), QPoint(50, 0), QPoint(100, 100)})
    EXPECT_EQ(qGray(face.pixel(at)), at.x() < 50 ? 0 : 255) << at.x() << "," << at.y();
  EXPECT_TRUE(FaceFinder::cutFace(picture, QRect(), QSize(101, 101)).isNull());
  EXPECT_TRUE(FaceFinder::cutFace(QImage(), QRect(0, 0, 9, 9), QSize(101, 101)).isNull());
}

TEST(FaceFinder, NoFaceInPlainNoisyOrSlimPictures) {
  FaceFinder finder;
  QImage plain(320, 243, QImage::Format_RGB32);
  plain.fill(QColor(150, 146, 140));
  QImage noise(320, 243, QImage::Format_Grayscale8);
  for (int y = 0; y < noise.height(); ++y)
    for (int x = 0; x < noise.width(); ++x) noise.scanLine(y)[x] = uchar((x * 7919 + y * 104729) % 251);
  for (const QImage& picture : {plain, noise, QImage(1, 1, QImage::Format_RGB32), QImage(16384, 1, QImage::Format_Grayscale8), QImage()})
    EXPECT_FALSE(finder.faceSquare(picture)) << picture.width() << " x " << picture.height();
}

TEST(FaceFinder, AMissingOrBrokenCascadeIsAnErrorNamingItsPackage) {
  QTemporaryFile broken;
  ASSERT_TRUE(broken.open());
  broken.write("<opencv_storage>not a cascade");
  broken.close();
  for (const QString& file : {QStringLiteral("/nonexistent/cascade.xml"), broken.fileName()}) {
    try {
      FaceFinder finder(file);
      ADD_FAILURE() << "read " << file.toStdString();
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), ErrorKind::Platform);
      EXPECT_NE(std::string(e.what()).find("opencv-data"), std::string::npos) << e.what();
    }
  }
}

// A photo of the development set on a plain wall, where `at` says.
QImage onWall(const QImage& photo, QSize size, QPoint at) {
  QImage picture(size, QImage::Format_RGB32);
  picture.fill(QColor(150, 146, 140));
  QPainter(&picture).drawImage(at, photo);
  return picture;
}

TEST(FaceFinder, FindsTheSameFaceInARealPhotoWhereverItStandsAndHoweverManyThreadsSearch) {
  const QString folder = QStringLiteral(TAVRO_FACES_DEV);
  if (QImage(folder + "/p00/01.jpg").isNull()) GTEST_SKIP() << "no development photos in " << folder.toStdString();
  FaceFinder finder;
  for (const char* person : {"p00", "p04", "p09", "p13", "p17"}) {
    const QImage photo(folder + "/" + person + "/05.jpg");  // 180 x 200
    const std::optional<QRect> first = finder.faceSquare(onWall(photo, {320, 243}, {0, 0}));
    ASSERT_TRUE(first) << person;
    EXPECT_TRUE(QRect(0, 0, 180, 200).contains(*first)) << person;
    EXPECT_GE(first->width(), 60) << person;
    for (const QPoint at : {QPoint(70, 20), QPoint(140, 43)}) {
      const std::optional<QRect> moved = finder.faceSquare(onWall(photo, {320, 243}, at));
      ASSERT_TRUE(moved) << person;
      EXPECT_LE((moved->center() - at - first->center()).manhattanLength(), 8) << person;
      EXPECT_LE(std::abs(moved->width() - first->width()), first->width() / 6) << person;  // a size step or two
    }
    const QImage picture = onWall(photo, {320, 243}, {70, 20});
    const std::optional<QRect> squareNow = finder.faceSquare(picture);
    const int threads = cv::getNumThreads();
    cv::setNumThreads(1);
    EXPECT_EQ(finder.faceSquare(picture), squareNow) << person;
    cv::setNumThreads(threads);
  }
}

}  // namespace
}  // namespace tavro

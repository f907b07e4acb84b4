#include "platform/picture/picture_loader.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/errors.h"

namespace {

class PictureLoader : public ::testing::Test {
 protected:
  QString pathOf(const QString& name) const { return dir_.filePath(name); }

  QString writeBytes(const QString& name, const QByteArray& bytes) const {
    QFile file(pathOf(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return pathOf(name);
  }

  // A 3 x 2 picture with a distinct colour in each pixel, saved in the given
  // format under the given name.
  QString writeTestPicture(const QString& name, const char* format) const {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(QColor(10, 20, 30));
    picture.setPixelColor(2, 1, QColor(250, 0, 0));
    EXPECT_TRUE(picture.save(pathOf(name), format));
    return pathOf(name);
  }

  static std::string loadError(const QString& path) {
    try {
      tavro::loadPicture(path);
    } catch (const tavro::Error& e) {
      EXPECT_EQ(e.kind(), tavro::ErrorKind::Platform);
      return e.what();
    }
    ADD_FAILURE() << "no error for " << path.toStdString();
    return {};
  }

  // A bitmap header declaring the given size, with no pixel data after it.
  static QByteArray bmpHeader(qint32 width, qint32 height) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(54) << quint32(0) << quint32(54);  // file size, reserved, data offset
    out << quint32(40) << width << height << quint16(1) << quint16(24) << quint32(0)
        << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    return bytes;
  }

  QTemporaryDir dir_;
};

TEST_F(PictureLoader, DecidesTheFormatFromTheContentNotTheName) {
  const QString bmpAsJpg = writeTestPicture("face0a.jpg", "BMP");
  const QString pngAsTxt = writeTestPicture("notes.txt", "PNG");
  const QString jpegAsBmp = writeTestPicture("shot.bmp", "JPEG");

  const QImage fromBmp = tavro::loadPicture(bmpAsJpg);
  EXPECT_EQ(fromBmp.size(), QSize(3, 2));
  EXPECT_EQ(fromBmp.pixelColor(0, 0), QColor(10, 20, 30));
  EXPECT_EQ(fromBmp.pixelColor(2, 1), QColor(250, 0, 0));

  const QImage fromPng = tavro::loadPicture(pngAsTxt);
  EXPECT_EQ(fromPng.pixelColor(2, 1), QColor(250, 0, 0));

  // JPEG is lossy: the size is exact, the colours only close.
  const QImage fromJpeg = tavro::loadPicture(jpegAsBmp);
  EXPECT_EQ(fromJpeg.size(), QSize(3, 2));
}

TEST_F(PictureLoader, NamesAMissingFileOrADirectory) {
  const std::string missing = loadError(pathOf("face7b.jpg"));
  EXPECT_NE(missing.find("File not found"), std::string::npos);
  EXPECT_NE(missing.find("face7b.jpg"), std::string::npos);
  EXPECT_NE(loadError(QString()).find("File not found"), std::string::npos);
  EXPECT_NE(loadError(dir_.path()).find("Not a file"), std::string::npos);
}

TEST_F(PictureLoader, RefusesContentThatIsNoPicture) {
  const QString text = writeBytes("face0a.jpg", "This is a text file, not a picture.\n");
  const std::string message = loadError(text);
  EXPECT_NE(message.find("Invalid picture"), std::string::npos);
  EXPECT_NE(message.find("face0a.jpg"), std::string::npos);
  EXPECT_NE(loadError(writeBytes("empty.bmp", QByteArray())).find("Invalid picture"), std::string::npos);
}

TEST_F(PictureLoader, RefusesACorruptPicture) {
  // A JPEG cut short after its first bytes, padded with garbage.
  QFile source(writeTestPicture("good.jpg", "JPEG"));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  const QByteArray corrupt = source.read(20) + QByteArray(200, '\x5a');
  EXPECT_NE(loadError(writeBytes("face3a.jpg", corrupt)).find("Invalid picture"), std::string::npos);

  // A bitmap that declares 100 x 100 pixels and holds none.
  EXPECT_NE(loadError(writeBytes("short.bmp", bmpHeader(100, 100))).find("Invalid picture"),
            std::string::npos);
}

TEST_F(PictureLoader, RefusesAnEnormousDeclaredSizeBeforeDecoding) {
  const std::string tooWide = loadError(writeBytes("wide.bmp", bmpHeader(100000, 10)));
  EXPECT_NE(tooWide.find("Picture too large"), std::string::npos);
  EXPECT_NE(tooWide.find("100000 x 10"), std::string::npos);
  // Each side within the limit, the whole not: 16000 x 16000 is 256 million pixels.
  const std::string tooMany = loadError(writeBytes("big.bmp", bmpHeader(16000, 16000)));
  EXPECT_NE(tooMany.find("Picture too large"), std::string::npos);
}

TEST_F(PictureLoader, AcceptsThePictureSizesOfTheSystem) {
  QImage face(100, 100, QImage::Format_RGB32);
  face.fill(Qt::white);
  ASSERT_TRUE(face.save(pathOf("face19a.jpg"), "JPEG"));
  EXPECT_EQ(tavro::loadPicture(pathOf("face19a.jpg")).size(), QSize(100, 100));
}

}  // namespace

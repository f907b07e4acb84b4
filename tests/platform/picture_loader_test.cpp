#include "platform/picture/picture_loader.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <vector>

#include "platform/errors.h"

namespace {

// Detail everywhere, so that a cut anywhere falls in pixel data.
QImage detailedPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.setPixel(x, y, qRgb(x * 7 + y * 3, x * y, (x ^ y) * 5));
  return picture;
}

int appendTo(GifFileType* gif, const GifByteType* bytes, int length) {
  static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), length);
  return length;
}

// The picture's green levels as a GIF with a grey palette (Qt writes no GIF).
QByteArray greenAsGif(const QImage& picture) {
  QByteArray bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, appendTo, &error);
  std::vector<GifColorType> greys(256);
  for (int level = 0; level < 256; ++level) greys[level] = {GifByteType(level), GifByteType(level), GifByteType(level)};
  ColorMapObject* palette = GifMakeMapObject(256, greys.data());
  EGifPutScreenDesc(gif, picture.width(), picture.height(), 8, 0, palette);
  EGifPutImageDesc(gif, 0, 0, picture.width(), picture.height(), false, nullptr);
  std::vector<GifPixelType> row(picture.width());
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) row[x] = qGreen(picture.pixel(x, y));
    EGifPutLine(gif, row.data(), picture.width());
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(palette);
  return bytes;
}

QByteArray encoded(const QImage& picture, const char* format, bool progressive = false) {
  if (qstrcmp(format, "GIF") == 0) return greenAsGif(picture);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setProgressiveScanWrite(progressive);
  EXPECT_TRUE(writer.write(picture)) << format;
  return bytes;
}

QImage loadBytes(QByteArray bytes, const tavro::PictureLoadOptions& options = {}) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  return tavro::loadPicture(buffer, QStringLiteral("pic"), options);
}

// A JPEG whose frame header claims another size, its data left as it was.
QByteArray claimingSize(QByteArray jpeg, int width, int height) {
  const qsizetype frame = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
  const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
  return jpeg.replace(frame + 5, 4, size, 4);
}

struct Encoding {
  const char* format;
  bool progressive;
};
const Encoding kEncodings[] = {{"JPEG", false}, {"JPEG", true}, {"PNG", false}, {"BMP", false},
                               {"GIF", false},  {"PPM", false}};

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
  // A name the system refuses gets the system's reason.
  const QString tooLong = pathOf(QString(300, 'x') + ".jpg");
  EXPECT_EQ(loadError(tooLong), "File name too long: " + tooLong.toStdString());
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

TEST(PictureLoaderWholeness, RefusesEveryCutOrDamagedPictureAndLoadsWholeOnes) {
  const QImage picture = detailedPicture(64, 48);
  for (const Encoding& encoding : kEncodings) {
    const QByteArray whole = encoded(picture, encoding.format, encoding.progressive);
    const std::string what = std::string(encoding.format) + (encoding.progressive ? " progressive" : "");
    EXPECT_EQ(loadBytes(whole).size(), picture.size()) << what;
    for (const qsizetype kept : {whole.size() / 4, whole.size() / 2, whole.size() * 3 / 4, whole.size() * 15 / 16}) {
      try {
        loadBytes(whole.left(kept));
        ADD_FAILURE() << what << " cut to " << kept << " of " << whole.size() << " bytes was loaded";
      } catch (const tavro::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Invalid picture: pic ", 0), 0u) << what << ": " << e.what();
      }
    }
  }
  // Lossless formats give the pixels back exactly.
  for (const char* format : {"PNG", "BMP", "PPM"}) EXPECT_EQ(loadBytes(encoded(picture, format)), picture) << format;

  const QByteArray jpeg = encoded(picture, "JPEG");
  const QByteArray damaged[] = {
      jpeg.left(jpeg.size() / 2) + "\xFF\xD9",                      // data ends at a marker
      claimingSize(jpeg, 16384, 4096),                               // a small file claiming a huge picture
  };
  for (const QByteArray& bytes : damaged)
    for (const QSize corner : {QSize(), QSize(101, 101)}) {
      try {
        loadBytes(bytes, {corner});
        ADD_FAILURE() << "a damaged JPEG was loaded";
      } catch (const tavro::Error& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid picture: pic is damaged"), std::string::npos) << e.what();
      }
    }
  // The coefficients of 16384 x 4096 pixels take 192 MB, beyond the decoder's bound.
  try {
    loadBytes(claimingSize(encoded(picture, "JPEG", true), 16384, 4096), {QSize(101, 101)});
    ADD_FAILURE() << "a progressive JPEG beyond the memory bound was loaded";
  } catch (const tavro::Error& e) {
    EXPECT_EQ(std::string(e.what()), "Picture too large: pic needs more than 96 MB to decode");
  }
}

TEST(PictureLoaderCorner, AClippedLoadShowsExactlyWhatAWholeLoadShows) {
  const QImage picture = detailedPicture(300, 200);
  QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
  for (const Encoding& encoding : kEncodings)
    for (const QImage& source : {picture, grey}) {
      const QByteArray bytes = encoded(source, encoding.format, encoding.progressive);
      const QImage whole = loadBytes(bytes);
      for (const QSize corner : {QSize(101, 101), QSize(157, 117), QSize(160, 40), QSize(400, 20)}) {
        const QImage clipped = loadBytes(bytes, {corner});
        EXPECT_EQ(clipped, whole.copy(QRect(QPoint(0, 0), corner.boundedTo(whole.size())))) << encoding.format;
      }
      // The same pixels as Qt's own reader gives, in colour and in grey.
      QBuffer buffer(const_cast<QByteArray*>(&bytes));
      const QImage byQt = QImageReader(&buffer).read();
      EXPECT_EQ(whole, byQt) << encoding.format;
      EXPECT_EQ(loadBytes(bytes, {QSize(), true}), byQt.convertToFormat(QImage::Format_Grayscale8)) << encoding.format;
    }
}

}  // namespace

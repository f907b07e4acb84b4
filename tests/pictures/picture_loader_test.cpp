#include "pictures/picture_loader.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>  // the JPEG library's header needs FILE and size_t first
extern "C" {
#include <jpeglib.h>
}

#include <QBuffer>
#include <QByteArray>
#include <QColorSpace>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/errors.h"
#include "widgets/picture_box_model.h"

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

// Where a GIF's first picture lies on its screen, and how it is coded.
struct GifLayout {
  QSize screen{};  // invalid: the picture's size
  QPoint at{};
  bool interlaced = false;
  bool ownColours = false;  // a table of the picture's own, not the screen's grey one
  int transparent = -1;
  bool secondPicture = false;
};

// The picture's green levels as a GIF (Qt writes no GIF).
QByteArray greenAsGif(const QImage& picture, const GifLayout& layout = {}) {
  QByteArray bytes;
  int error = 0;
  GifFileType* gif = EGifOpen(&bytes, appendTo, &error);
  std::vector<GifColorType> greys(256), colours(256);
  for (int level = 0; level < 256; ++level) {
    greys[level] = {GifByteType(level), GifByteType(level), GifByteType(level)};
    colours[level] = {GifByteType(level), GifByteType(255 - level), GifByteType(level / 2)};
  }
  ColorMapObject* screenTable = GifMakeMapObject(256, greys.data());
  ColorMapObject* ownTable = GifMakeMapObject(256, colours.data());
  const QSize screen = layout.screen.isValid() ? layout.screen : picture.size();
  EGifPutScreenDesc(gif, screen.width(), screen.height(), 8, 200, screenTable);
  if (layout.transparent >= 0) {
    const GifByteType control[] = {1, 0, 0, GifByteType(layout.transparent)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
  }
  for (int frame = 0; frame < (layout.secondPicture ? 2 : 1); ++frame) {
    EGifPutImageDesc(gif, layout.at.x(), layout.at.y(), picture.width(), picture.height(), layout.interlaced,
                     layout.ownColours ? ownTable : nullptr);
    // An interlaced picture's rows go in pass order: every 8th from 0 and 4, every 4th from 2, every 2nd from 1.
    std::vector<int> rows;
    for (const auto& [first, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
      for (int y = first; y < picture.height(); y += step) rows.push_back(y);
    if (!layout.interlaced) std::sort(rows.begin(), rows.end());
    std::vector<GifPixelType> row(picture.width());
    for (const int y : rows) {
      for (int x = 0; x < picture.width(); ++x) row[x] = qGreen(picture.pixel(x, y)) ^ frame * 0xff;
      EGifPutLine(gif, row.data(), picture.width());
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(screenTable);
  GifFreeMapObject(ownTable);
  return bytes;
}

// A PNG of one kind, written with libpng. Byte i of row y holds
// 7i + 13y, so every sample value occurs, and the colour whose samples
// start a row's first pixel (0, 7, 14 on 8 bits) is the transparent one.
struct PngKind {
  int colourType;
  int depth;
  bool transparentColour = false;
  int interlace = PNG_INTERLACE_NONE;
  enum { None, Gamma, GammaAndPrimaries, Srgb, Profile } colourChunk = None;
  bool oneDataChunk = false;  // all pixel data in one IDAT chunk
};

png_uint_16 firstSample(int channel, int depth) {
  return depth == 16 ? png_uint_16((14 * channel) << 8 | (14 * channel + 7)) : png_uint_16(7 * channel % (1 << depth));
}

QByteArray pngOf(const PngKind& kind, QSize size) {
  QByteArray bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_check_for_invalid_index(png, 0);
  png_set_write_fn(
      png, &bytes,
      [](png_structp p, png_bytep data, size_t length) {
        static_cast<QByteArray*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), qsizetype(length));
      },
      nullptr);
  png_set_IHDR(png, info, size.width(), size.height(), kind.depth, kind.colourType, kind.interlace,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // An 8-bit palette short of 256 colours, so that some indices lie beyond it.
  std::vector<png_color> palette(kind.depth == 8 ? 200 : kind.depth < 8 ? 1 << kind.depth : 0);
  std::vector<png_byte> alphas(palette.size());
  for (std::size_t i = 0; i < palette.size(); ++i) {
    palette[i] = {png_byte(i * 37), png_byte(i * 91), png_byte(255 - i)};
    alphas[i] = png_byte(i * 53);
  }
  if (kind.colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  png_color_16 transparent{0, firstSample(0, kind.depth), firstSample(1, kind.depth), firstSample(2, kind.depth),
                           firstSample(0, kind.depth)};
  const bool indexed = kind.colourType == PNG_COLOR_TYPE_PALETTE;
  if (kind.transparentColour)
    png_set_tRNS(png, info, indexed ? alphas.data() : nullptr, indexed ? int(alphas.size()) : 0,
                 indexed ? nullptr : &transparent);
  if (kind.colourChunk == PngKind::Gamma || kind.colourChunk == PngKind::GammaAndPrimaries)
    png_set_gAMA(png, info, 0.6);
  if (kind.colourChunk == PngKind::GammaAndPrimaries)
    png_set_cHRM(png, info, 0.3127, 0.329, 0.64, 0.33, 0.21, 0.71, 0.15, 0.06);
  if (kind.colourChunk == PngKind::Srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
  const QByteArray profile = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
  if (kind.colourChunk == PngKind::Profile)
    png_set_iCCP(png, info, "Adobe", 0, reinterpret_cast<png_const_bytep>(profile.constData()),
                 png_uint_32(profile.size()));
  if (kind.oneDataChunk) png_set_compression_buffer_size(png, 1 << 24);
  png_write_info(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_byte> rows(rowBytes * size.height());
  std::vector<png_bytep> rowPointers;
  for (int y = 0; y < size.height(); ++y) {
    rowPointers.push_back(&rows[rowBytes * y]);
    for (std::size_t i = 0; i < rowBytes; ++i) rowPointers.back()[i] = png_byte(7 * i + 13 * y);
  }
  png_write_image(png, rowPointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

// The picture's green levels (RLE8) or their top four bits (RLE4) as a
// run-length BMP, bottom row first: runs of equal values, stretches of
// differing ones as they are; the first `skippedRows` rows are jumped over
// and every row ends `skippedColumns` early. Colour i of the table is
// (i, 255 - i, i / 2).
QByteArray runLengthBmp(const QImage& picture, bool fourBit, int skippedRows = 0, int skippedColumns = 0) {
  const int colours = fourBit ? 16 : 256;
  QByteArray data;
  const auto put = [&data](std::initializer_list<int> bytes) {
    for (const int b : bytes) data.append(char(b));
  };
  const auto level = [&](int x, int y) {
    return qGreen(picture.pixel(x, picture.height() - 1 - y)) >> (fourBit ? 4 : 0);
  };
  for (int rows = skippedRows; rows > 0; rows -= std::min(rows, 255)) put({0, 2, 0, std::min(rows, 255)});
  for (int y = skippedRows; y < picture.height(); ++y, put({0, 0})) {
    for (int x = 0, width = picture.width() - skippedColumns; x < width;) {
      int run = 1, stretch = 1;
      while (x + run < width && run < 255 && level(x + run, y) == level(x, y)) ++run;
      while (x + stretch < width && stretch < 254 && level(x + stretch, y) != level(x + stretch - 1, y)) ++stretch;
      if (run >= 2 || stretch < 3) {
        const int next = fourBit && run == 1 && stretch == 2 ? 1 : 0;  // two values alternating
        put({run + next, fourBit ? level(x, y) << 4 | level(x + next, y) : level(x, y)});
        x += run + next;
        continue;
      }
      put({0, stretch});
      const qsizetype start = data.size();
      for (int i = 0; i < stretch; i += fourBit ? 2 : 1)
        put({fourBit ? level(x + i, y) << 4 | (i + 1 < stretch ? level(x + i + 1, y) : 0) : level(x + i, y)});
      if ((data.size() - start) % 2 == 1) put({0});
      x += stretch;
    }
  }
  put({0, 1});
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  const quint32 dataAt = 14 + 40 + 4 * colours;
  out.writeRawData("BM", 2);
  out << quint32(dataAt + data.size()) << quint32(0) << dataAt << quint32(40) << qint32(picture.width())
      << qint32(picture.height()) << quint16(1) << quint16(fourBit ? 4 : 8) << quint32(fourBit ? 2 : 1)
      << quint32(data.size()) << qint32(2835) << qint32(2835) << quint32(colours) << quint32(0);
  for (int i = 0; i < colours; ++i) out << quint8(i / 2) << quint8(255 - i) << quint8(i) << quint8(0);
  return bytes + data;
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

QImage readByQt(const QByteArray& bytes, bool upright = false) {
  QBuffer buffer(const_cast<QByteArray*>(&bytes));
  QImageReader reader(&buffer);
  reader.setAutoTransform(upright);
  return reader.read();
}

// What a box of the given area shows of a picture: a face box, or the picture display.
QImage shownIn(QSize area, const QImage& picture) {
  tavro::PictureBoxModel box = area == QSize(101, 101) ? tavro::PictureBoxModel::faceBox()
                                                       : tavro::PictureBoxModel(area, 1.0f, 1.0f);
  box.setPicture(picture);
  return box.image();
}

// Qt weighs a colour table's colours a level apart for a few colours in a
// process's first grey conversion, and as every colour pixel from then on:
// the grey oracle is the latter.
const bool kGreyWeighingSettled = !QImage(1, 1, QImage::Format_RGB32).convertToFormat(QImage::Format_Grayscale8).isNull();

// A face box and the picture display show what they show of Qt's own whole
// decode (turned upright as Qt's reader turns it), and the grey picture is
// Qt's whole decode made grey by QImage.
// Empty when the pictures are the same, else where they first differ.
std::string difference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.format() != b.format()) return "another size or format";
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y))
        return QStringLiteral("%1 for %2 at %3, %4").arg(a.pixel(x, y), 8, 16).arg(b.pixel(x, y), 8, 16).arg(x).arg(y).toStdString();
  return {};
}

void expectBoxesShowWhatQtShows(const QByteArray& bytes, const std::string& what, bool upright = false) {
  const QImage byQt = readByQt(bytes, upright);
  ASSERT_FALSE(byQt.isNull()) << what;
  for (const QSize area : {QSize(101, 101), QSize(157, 117)})
    EXPECT_EQ(difference(shownIn(area, loadBytes(bytes, {area})), shownIn(area, byQt)), "") << what << " in " << area.width();
  EXPECT_EQ(difference(loadBytes(bytes, {QSize(), true}), byQt.convertToFormat(QImage::Format_Grayscale8)), "")
      << what << " in grey";
}

QByteArray bytesOf(std::initializer_list<int> values) {
  QByteArray bytes;
  for (const int value : values) bytes += char(value);
  return bytes;
}

// Byte i of row y of every written picture is 7i + 13y, so that every value occurs.
uchar patternByte(qsizetype i, int y) { return uchar(7 * i + 13 * y); }

// A BMP of one kind: an info header of `header` bytes, `bits` a pixel, with
// bit-field masks (and an alpha mask from 108 bytes on) when given.
struct BmpKind {
  int header;
  int bits;
  std::vector<quint32> masks = {};
  bool topDown = false;
};

QByteArray bmpOf(const BmpKind& kind, QSize size) {
  QByteArray bytes;
  QDataStream out(&bytes, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  const int colours = kind.bits <= 8 ? 1 << kind.bits : 0, entryBytes = kind.header == 12 ? 3 : 4;
  const bool maskWords = kind.header == 40 && !kind.masks.empty();
  const int rowBytes = (size.width() * kind.bits + 31) / 32 * 4;
  const quint32 dataAt = 14 + kind.header + (maskWords ? 12 : 0) + colours * entryBytes;
  out.writeRawData("BM", 2);
  out << quint32(dataAt + rowBytes * size.height()) << quint32(0) << dataAt << quint32(kind.header);
  const qint32 height = kind.topDown ? -size.height() : size.height();
  if (kind.header == 12) out << qint16(size.width()) << qint16(height) << quint16(1) << quint16(kind.bits);
  else
    out << qint32(size.width()) << height << quint16(1) << quint16(kind.bits) << quint32(kind.masks.empty() ? 0 : 3)
        << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
  for (int i = 0; i * 4 < kind.header - 40; ++i) out << (i < int(kind.masks.size()) ? kind.masks[i] : quint32(0));
  for (int i = 0; maskWords && i < 3; ++i) out << kind.masks[i];
  for (int i = 0; i < colours; ++i) out.writeRawData(bytesOf({i * 3, 255 - i, i * 7, 0}).constData(), entryBytes);
  for (int y = 0; y < size.height(); ++y)
    for (int i = 0; i < rowBytes; ++i) out << patternByte(i, y);
  return bytes;
}

// A PBM, PGM or PPM file (P1 to P6) with the given maximum, a comment in
// its header; samples are the byte pattern, kept within the maximum.
QByteArray pnmOf(int kind, int maximum, QSize size) {
  const int channels = kind % 3 == 0 ? 3 : 1, sampleBytes = maximum > 255 ? 2 : 1;
  QByteArray bytes = QStringLiteral("P%1\n# drawn by the test\n%2 %3\n").arg(kind).arg(size.width()).arg(size.height()).toLatin1();
  if (kind % 3 != 1) bytes += QByteArray::number(maximum) + '\n';
  const qsizetype samples = kind == 4 ? (size.width() + 7) / 8 : qsizetype{size.width()} * channels;
  for (int y = 0; y < size.height(); ++y, bytes += kind <= 3 ? "\n" : "")
    for (qsizetype i = 0; i < samples; ++i) {
      const int value = kind == 4 ? patternByte(i, y) : (patternByte(i, y) * 257 + i) % (maximum + 1);
      if (kind <= 3) bytes += QByteArray::number(value) + ' ';
      else if (sampleBytes == 2) bytes += bytesOf({value >> 8, value});
      else bytes += char(value);
    }
  return bytes;
}

// The picture as a JPEG in CMYK, its samples as Adobe writes them.
QByteArray cmykJpeg(const QImage& picture) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* memory = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &memory, &size);
  info.image_width = picture.width();
  info.image_height = picture.height();
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(picture.width() * 4);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x)
      for (int c = 0; c < 4; ++c) row[x * 4 + c] = patternByte(x * 4 + c, y);
    JSAMPROW rows = row.data();
    jpeg_write_scanlines(&info, &rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  const QByteArray bytes(reinterpret_cast<const char*>(memory), qsizetype(size));
  std::free(memory);
  return bytes;
}

// The JPEG with an EXIF block after its start: a little-endian TIFF header
// whose first directory holds the orientation tag (a short), unless `exif`
// gives the block's bytes after "Exif\0\0".
QByteArray withExif(const QByteArray& jpeg, int orientation, QByteArray exif = {}) {
  if (exif.isEmpty())
    exif = QByteArray("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18) + char(orientation) + QByteArray(7, '\0');
  exif.prepend(QByteArray("Exif\0\0", 6));
  const qsizetype length = exif.size() + 2;
  return jpeg.left(2) + bytesOf({0xFF, 0xE1, int(length >> 8), int(length & 0xff)}) + exif + jpeg.mid(2);
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
  for (const char* format : {"PNG", "BMP", "PPM"})
    EXPECT_EQ(loadBytes(encoded(picture, format)).convertToFormat(QImage::Format_RGB32), picture) << format;

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

TEST(PictureLoaderCorner, BoxesShowWhatQtShowsOfEveryPictureQtWrites) {
  const QImage picture = detailedPicture(300, 200);
  QImage profiled = picture;
  profiled.setColorSpace(QColorSpace::AdobeRgb);  // a JPEG with a colour profile: grey weighed in its space
  for (const Encoding& encoding : kEncodings)
    for (const QImage& source : {picture, picture.convertToFormat(QImage::Format_Grayscale8), profiled})
      expectBoxesShowWhatQtShows(encoded(source, encoding.format, encoding.progressive), encoding.format);
  expectBoxesShowWhatQtShows(cmykJpeg(picture), "CMYK JPEG");
}

const PngKind kPngKinds[] = {
    {PNG_COLOR_TYPE_GRAY, 1},
    {PNG_COLOR_TYPE_GRAY, 1, true},
    {PNG_COLOR_TYPE_GRAY, 2},
    {PNG_COLOR_TYPE_GRAY, 4, true},
    {PNG_COLOR_TYPE_GRAY, 8, false, PNG_INTERLACE_ADAM7},
    {PNG_COLOR_TYPE_GRAY, 8, true},
    {PNG_COLOR_TYPE_GRAY, 16},
    {PNG_COLOR_TYPE_GRAY, 16, true, PNG_INTERLACE_ADAM7},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
    {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false, PNG_INTERLACE_ADAM7},
    {PNG_COLOR_TYPE_PALETTE, 1},
    {PNG_COLOR_TYPE_PALETTE, 2, true},
    {PNG_COLOR_TYPE_PALETTE, 4, false, PNG_INTERLACE_ADAM7},
    {PNG_COLOR_TYPE_PALETTE, 8, true},
    {PNG_COLOR_TYPE_RGB, 8, false, PNG_INTERLACE_NONE, PngKind::Gamma},
    {PNG_COLOR_TYPE_RGB, 8, true, PNG_INTERLACE_ADAM7, PngKind::GammaAndPrimaries},
    {PNG_COLOR_TYPE_RGB, 16, false, PNG_INTERLACE_NONE, PngKind::Srgb},
    {PNG_COLOR_TYPE_RGB_ALPHA, 8, false, PNG_INTERLACE_NONE, PngKind::Profile},
    {PNG_COLOR_TYPE_RGB_ALPHA, 16, false, PNG_INTERLACE_ADAM7, PngKind::Profile},
};

TEST(PictureLoaderCorner, APngCornerIsWhatQtsReaderShowsForEveryKindOfPng) {
  for (const PngKind& kind : kPngKinds)
    expectBoxesShowWhatQtShows(pngOf(kind, QSize(140, 110)), "PNG type " + std::to_string(kind.colourType) +
                                                                   " depth " + std::to_string(kind.depth) +
                                                                   (kind.transparentColour ? " tRNS" : "") +
                                                                   (kind.interlace ? " interlaced" : ""));
}

// Qt's reader fills RGBA64 rows with the RGB samples of a 16-bit picture
// with a transparent colour; the loader shows each pixel's colour, the
// transparent one with alpha 0.
TEST(PictureLoaderCorner, A16BitPngWithATransparentColourShowsItsOwnColours) {
  const QImage clipped = loadBytes(pngOf({PNG_COLOR_TYPE_RGB, 16, true}, QSize(30, 20)), {QSize(101, 101)});
  ASSERT_EQ(clipped.size(), QSize(30, 20));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) {
      const auto sample = [&](int channel) {
        return quint16(quint8(7 * (6 * x + 2 * channel) + 13 * y) << 8 |
                       quint8(7 * (6 * x + 2 * channel + 1) + 13 * y));
      };
      const bool clear =
          sample(0) == firstSample(0, 16) && sample(1) == firstSample(1, 16) && sample(2) == firstSample(2, 16);
      ASSERT_EQ(clipped.pixelColor(x, y).rgba64(),
                QRgba64::fromRgba64(sample(0), sample(1), sample(2), clear ? 0 : 0xffff))
          << x << "," << y;
    }
}

TEST(PictureLoaderCorner, AGifCornerIsWhatQtsReaderShowsOfTheFirstPicture) {
  const QImage picture = detailedPicture(200, 150);
  const GifLayout layouts[] = {
      {},
      {.ownColours = true, .secondPicture = true},
      {.screen = QSize(260, 190), .at = QPoint(20, 10)},
      {.screen = QSize(260, 190), .at = QPoint(20, 10), .transparent = 77},
      {.interlaced = true},
      {.screen = QSize(230, 170), .at = QPoint(5, 30), .interlaced = true, .transparent = 77},
      {.screen = QSize(220, 120), .at = QPoint(130, 0), .interlaced = true},  // beyond the screen's edges
      {.screen = QSize(0, 0), .at = QPoint(7, 3)},                            // no screen: the picture's extent
  };
  for (const GifLayout& layout : layouts)
    expectBoxesShowWhatQtShows(greenAsGif(picture, layout), "GIF at " + std::to_string(layout.at.x()));
  // Interlaced pictures too short for all four passes.
  for (const int rows : {1, 2, 3, 4, 5})
    expectBoxesShowWhatQtShows(greenAsGif(detailedPicture(120, rows), {.interlaced = true}), "GIF rows");
}

TEST(PictureLoaderCorner, ARunLengthBmpShowsWhatQtsReaderShowsAndItsFirstColourWhereSkipped) {
  const QImage picture = detailedPicture(150, 130);
  for (const bool fourBit : {false, true}) {
    expectBoxesShowWhatQtShows(runLengthBmp(picture, fourBit), fourBit ? "RLE4" : "RLE8");
    // Qt's reader leaves skipped pixels as they were in memory: expected by rule here.
    const int skippedRows = 40, skippedColumns = 9;
    const QImage loaded = loadBytes(runLengthBmp(picture, fourBit, skippedRows, skippedColumns), {QSize(157, 117)});
    ASSERT_EQ(loaded.size(), QSize(150, 117));
    for (int y = 0; y < loaded.height(); ++y)
      for (int x = 0; x < loaded.width(); ++x) {
        const bool skipped = y >= picture.height() - skippedRows || x >= picture.width() - skippedColumns;
        const int index = skipped ? 0 : qGreen(picture.pixel(x, y)) >> (fourBit ? 4 : 0);
        ASSERT_EQ(loaded.pixel(x, y), qRgb(index, 255 - index, index / 2)) << x << "," << y;
      }
  }
}

// A corner needs the first rows of a PNG (at most half of this one's data)
// and reads no further than the end of the chunk they lie in; a GIF is
// walked to its trailer whatever the corner, and a BMP's top rows come last
// (an uncompressed one must hold every row, also one whose top rows come first).
TEST(PictureLoaderCorner, RefusesACutOrDamagedPartThatIsReadAndNothingElse) {
  const QImage picture = detailedPicture(300, 240);
  const QByteArray png = encoded(picture, "PNG"), gif = encoded(picture, "GIF"), rle = runLengthBmp(picture, false),
                   topDownBmp = bmpOf({40, 24, {}, true}, picture.size());
  const QByteArray oneChunk =
      pngOf({.colourType = PNG_COLOR_TYPE_RGB, .depth = 8, .oneDataChunk = true}, picture.size());
  const qsizetype lastDataByte = oneChunk.size() - 12 - 4 - 1;  // before the IDAT CRC and the IEND chunk
  struct Case {
    const QByteArray& whole;
    qsizetype at;
    bool damaged;
    bool refused;
  };
  const Case cases[] = {{png, png.size() / 5, false, true},      {png, png.size() / 5, true, true},
                        {png, png.size() * 3 / 10, true, true},  {png, png.size() * 9 / 10, false, false},
                        {png, png.size() * 9 / 10, true, false}, {oneChunk, lastDataByte, true, true},
                        {oneChunk, lastDataByte, false, true},   {gif, gif.size() / 5, false, true},
                        {gif, gif.size() * 9 / 10, false, true}, {rle, rle.size() * 9 / 10, false, true},
                        {topDownBmp, topDownBmp.size() * 9 / 10, false, true}};
  for (const Case& c : cases) {
    QByteArray bytes =
        c.damaged ? QByteArray(c.whole).replace(c.at, 1, QByteArray(1, char(~c.whole[c.at]))) : c.whole.left(c.at);
    const std::string what =
        c.whole.left(4).toStdString() + (c.damaged ? " damaged at " : " cut at ") + std::to_string(c.at);
    try {
      const QImage clipped = loadBytes(bytes, {QSize(101, 101)});
      EXPECT_FALSE(c.refused) << what << " was loaded";
      EXPECT_EQ(shownIn(QSize(101, 101), clipped), shownIn(QSize(101, 101), readByQt(c.whole))) << what;
    } catch (const tavro::Error& e) {
      EXPECT_TRUE(c.refused) << what << ": " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("Invalid picture: pic ", 0), 0u) << what << ": " << e.what();
    }
  }
}

TEST(PictureLoaderCorner, BoxesShowWhatQtShowsOfEveryKindOfBmp) {
  const BmpKind kinds[] = {{40, 1}, {40, 4}, {40, 8}, {12, 8}, {124, 8}, {40, 24}, {12, 24}, {64, 24},
                           {40, 24, {}, true}, {40, 16}, {40, 16, {0xf800, 0x7e0, 0x1f}}, {40, 32},
                           {40, 32, {0xff0000, 0xff00, 0xff}}, {108, 32, {0xff0000, 0xff00, 0xff, 0xff000000}},
                           {124, 32, {0, 0, 0, 0xff000000}}, {108, 16, {0xf00, 0xf0, 0xf, 0xf000}}};
  for (const BmpKind& kind : kinds)
    expectBoxesShowWhatQtShows(bmpOf(kind, QSize(200, 150)), "BMP of " + std::to_string(kind.header) + " bytes, " +
                                                                  std::to_string(kind.bits) + " bits");
}

TEST(PictureLoaderCorner, BoxesShowWhatQtShowsOfEveryKindOfPnm) {
  const std::pair<int, int> kinds[] = {{1, 1}, {4, 1}, {2, 255}, {2, 100}, {2, 1000}, {5, 255}, {5, 60},
                                       {5, 4000}, {3, 255}, {3, 1000}, {6, 255}, {6, 200}, {6, 65535}};
  for (const auto& [kind, maximum] : kinds)
    expectBoxesShowWhatQtShows(pnmOf(kind, maximum, QSize(200, 150)),
                               QStringLiteral("P%1 of maximum %2").arg(kind).arg(maximum).toStdString());
}

// A box needs the first rows of an ASCII file; a binary one must hold every
// row it declares, as a BMP must.
TEST(PictureLoaderCorner, AnAsciiPnmIsReadToTheCornersRowsAndABinaryOneMustBeWhole) {
  const QByteArray ascii = pnmOf(2, 255, QSize(200, 400)), binary = pnmOf(5, 255, QSize(200, 400));
  EXPECT_EQ(shownIn(QSize(101, 101), loadBytes(ascii.left(ascii.size() / 2), {QSize(101, 101)})),
            shownIn(QSize(101, 101), readByQt(ascii)));
  const QByteArray refused[] = {ascii.left(ascii.size() / 2), QByteArray(ascii).replace(ascii.size() / 4, 1, "x"),
                                QByteArray(ascii).replace(ascii.indexOf("\n255\n") + 1, 3, "100"),
                                binary.left(binary.size() - 1)};
  for (const QByteArray& bytes : refused)
    for (const QSize corner : {QSize(), QSize(101, 101)}) {
      if (corner.isValid() && &bytes == &refused[0]) continue;
      try {
        loadBytes(bytes, {corner});
        ADD_FAILURE() << "a damaged PNM was loaded: " << bytes.left(20).toStdString();
      } catch (const tavro::Error& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Invalid picture: pic ", 0), 0u) << e.what();
      }
    }
  try {
    loadBytes("P5\n65535 65535\n255\n", {QSize(101, 101)});
    ADD_FAILURE() << "a PNM of 65535 x 65535 was loaded";
  } catch (const tavro::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Picture too large: pic declares 65535 x 65535", 0), 0u) << e.what();
  }
}

// Every EXIF orientation turns the picture as every viewer turns it; a
// malformed EXIF block is no orientation at all.
TEST(PictureLoaderUpright, AJpegStandsAsItsExifOrientationSays) {
  for (const bool progressive : {false, true}) {
    const QByteArray jpeg = encoded(detailedPicture(300, 200), "JPEG", progressive);
    for (int orientation = 1; orientation <= 8; ++orientation)
      expectBoxesShowWhatQtShows(withExif(jpeg, orientation), "orientation " + std::to_string(orientation), true);
    const QByteArray malformed[] = {withExif(jpeg, 0), withExif(jpeg, 9), withExif(jpeg, 6, "II*\0\x08\0\0"),
                                    withExif(jpeg, 6, QByteArray("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x04", 14)),
                                    withExif(jpeg, 6, QByteArray("II*\0\xff\xff\0\0\x01\0\x12\x01\x03\0", 14))};
    for (const QByteArray& bytes : malformed)
      EXPECT_EQ(shownIn(QSize(101, 101), loadBytes(bytes, {QSize(101, 101)})), shownIn(QSize(101, 101), readByQt(jpeg)));
  }
}

}  // namespace

// A whole JPEG may come smaller, its longer side still as asked, upright; corners and other formats do not.
TEST(PictureLoaderReduced, AWholeJpegIsDecodedSmallerWhileItsLongerSideStaysLargeEnough) {
  QImage picture(1300, 700, QImage::Format_RGB32);  // smooth, so that a smaller scale keeps its colours
  for (int y = 0; y < 700; ++y)
    for (int x = 0; x < 1300; ++x) picture.setPixel(x, y, qRgb(x / 6, y / 3, (x + y) / 8));
  const QByteArray jpeg = withExif(encoded(picture, "JPEG"), 6);
  const struct { QByteArray bytes; tavro::PictureLoadOptions options; QSize size; } cases[] = {
      {jpeg, {QSize(), true, 640}, {350, 650}},   {jpeg, {QSize(), false, 300}, {175, 325}},
      {jpeg, {QSize(), false, 100}, {88, 163}},   {jpeg, {QSize(), false, 700}, {700, 1300}},
      {jpeg, {QSize(101, 101), false, 100}, {101, 101}}, {encoded(picture, "PNG"), {QSize(), false, 100}, {1300, 700}}};
  for (const auto& [bytes, options, size] : cases) EXPECT_EQ(loadBytes(bytes, options).size(), size) << options.reducedSide;
  EXPECT_LE(qAbs(qGray(loadBytes(jpeg, {QSize(), false, 640}).pixel(100, 300)) - qGray(loadBytes(jpeg).pixel(200, 600))), 2);
}

#include "pictures/png_decoder.h"

#include <png.h>
#include <zlib.h>

#include <QByteArray>
#include <QColorSpace>
#include <QIODevice>
#include <QPointF>
#include <QSysInfo>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

constexpr bool kLittleEndian = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
constexpr qint64 kSignatureBytes = 8;
constexpr qint64 kCrcPieceBytes = 64 * 1024;

// What libpng calls back into. Plain data only: an error leaves libpng by
// longjmp, which runs no destructor.
struct Callbacks {
  QIODevice* device = nullptr;
  bool failed = false;  // by an error or a warning
  char message[200] = {};
};

void keepFirstMessage(Callbacks& callbacks, png_const_charp message) {
  if (callbacks.failed) return;
  callbacks.failed = true;
  std::snprintf(callbacks.message, sizeof callbacks.message, "%s", message != nullptr ? message : "");
}

extern "C" {

void refusePngOnError(png_structp png, png_const_charp message) {
  keepFirstMessage(*static_cast<Callbacks*>(png_get_error_ptr(png)), message);
  png_longjmp(png, 1);
}

// libpng carries on after a warning; the picture is refused as soon as the
// call that warned returns.
void notePngWarning(png_structp png, png_const_charp message) {
  keepFirstMessage(*static_cast<Callbacks*>(png_get_error_ptr(png)), message);
}

void readPngFromDevice(png_structp png, png_bytep data, size_t length) {
  QIODevice& device = *static_cast<Callbacks*>(png_get_io_ptr(png))->device;
  while (length > 0) {
    const qint64 read = device.read(reinterpret_cast<char*>(data), static_cast<qint64>(length));
    if (read <= 0) png_error(png, "the file ends before the picture does");
    data += read;
    length -= static_cast<size_t>(read);
  }
}

}  // extern "C"

class PngDecoder {
 public:
  PngDecoder(QIODevice& device, const QString& name, const PictureLoadOptions& options)
      : name_(name), options_(options), start_(device.pos()) {
    callbacks_.device = &device;
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &callbacks_, refusePngOnError, notePngWarning);
  }
  ~PngDecoder() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngDecoder(const PngDecoder&) = delete;
  PngDecoder& operator=(const PngDecoder&) = delete;

  QImage decode() {
    if (png_ == nullptr) refuseUnallocatedPicture(name_);
    if (!decodeOrRefuse())
      refuseInvalidPicture(name_,
                           QStringLiteral("is damaged or cut short (%1)").arg(QString::fromUtf8(callbacks_.message)));
    if (picture_.height() < static_cast<int>(png_get_image_height(png_, info_))) checkTheChunkLeftOpen();
    if (colourSpace_.isValid()) picture_.setColorSpace(colourSpace_);
    return std::move(picture_);
  }

 private:
  // Every libpng call happens here or in what this calls; an error longjmps
  // back to the setjmp and returns false, as does a warning once its call
  // returns. No object that needs destroying lives across a libpng call.
  bool decodeOrRefuse() {
    if (setjmp(png_jmpbuf(png_)) != 0) return false;
    info_ = png_create_info_struct(png_);
    if (info_ == nullptr) png_error(png_, "out of memory");
    png_set_read_fn(png_, &callbacks_, readPngFromDevice);
    // As Qt's reader: the largest inflate window, which some writers need.
    png_set_option(png_, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
    // Whether an embedded profile is an up-to-date copy of sRGB's says
    // nothing about the picture: no warning for an old one.
    png_set_option(png_, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
    // An index beyond the palette shows its first colour, as in Qt's reader.
    png_set_check_for_invalid_index(png_, 0);
    png_read_info(png_, info_);
    if (callbacks_.failed) return false;
    checkDeclaredSize(name_, png_get_image_width(png_, info_), png_get_image_height(png_, info_));
    readColourSpace();
    const QImage::Format format = chooseFormat();
    png_read_update_info(png_, info_);
    allocate(format);
    return readRows();
  }

  // As Qt's reader: an embedded profile, else the sRGB chunk, else gamma
  // with the chromaticities (sRGB's when the file gives none).
  void readColourSpace() {
    png_charp profileName = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    if (png_get_iCCP(png_, info_, &profileName, &compression, &profile, &profileLength) != 0) {
      colourSpace_ = QColorSpace::fromIccProfile(
          QByteArray(reinterpret_cast<const char*>(profile), static_cast<qsizetype>(profileLength)));
      if (colourSpace_.isValid() && colourSpace_.description().isEmpty())
        colourSpace_.setDescription(QString::fromLatin1(profileName));
      if (colourSpace_.isValid()) return;
    }
    int intent = -1;
    if (png_get_sRGB(png_, info_, &intent) != 0 && intent >= 0 && intent <= 3) {
      colourSpace_ = QColorSpace::SRgb;
      return;
    }
    double fileGamma = 0.0;
    if (png_get_gAMA(png_, info_, &fileGamma) == 0 || static_cast<float>(fileGamma) <= 0.0f) return;
    const float gamma = 1.0f / static_cast<float>(fileGamma);  // the file gives its encoding exponent
    double white[2], red[2], green[2], blue[2];
    if (png_get_cHRM(png_, info_, &white[0], &white[1], &red[0], &red[1], &green[0], &green[1], &blue[0], &blue[1]) !=
        0)
      colourSpace_ = QColorSpace(QPointF(white[0], white[1]), QPointF(red[0], red[1]), QPointF(green[0], green[1]),
                                 QPointF(blue[0], blue[1]), QColorSpace::TransferFunction::Gamma, gamma);
    if (!colourSpace_.isValid())
      colourSpace_ = QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma, gamma);
  }

  // Qt's reader's choice of format, and the libpng transformations that
  // give rows in its layout.
  QImage::Format chooseFormat() {
    colourType_ = png_get_color_type(png_, info_);
    depth_ = png_get_bit_depth(png_, info_);
    const bool transparentColour = png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    passes_ = png_set_interlace_handling(png_);
    if (colourType_ == PNG_COLOR_TYPE_GRAY) return chooseGreyFormat(transparentColour);
    if (colourType_ == PNG_COLOR_TYPE_PALETTE) {
      if (depth_ == 1) return QImage::Format_Mono;
      png_set_packing(png_);
      return QImage::Format_Indexed8;
    }
    const bool alpha = (colourType_ & PNG_COLOR_MASK_ALPHA) != 0 || transparentColour;
    if (colourType_ == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png_);
    if (depth_ == 16) {
      // Qt's reader leaves a 16-bit transparent colour unexpanded and fills
      // RGBA64 rows with RGB data; here it becomes the alpha it stands for.
      if (alpha)
        png_set_expand(png_);
      else
        png_set_filler(png_, 0xffff, PNG_FILLER_AFTER);
      if (kLittleEndian) png_set_swap(png_);
      return alpha ? QImage::Format_RGBA64 : QImage::Format_RGBX64;
    }
    png_set_expand(png_);
    if (!alpha) png_set_filler(png_, 0xff, kLittleEndian ? PNG_FILLER_AFTER : PNG_FILLER_BEFORE);
    // Qt's 0xAARRGGBB words: BGRA bytes on a little-endian machine.
    kLittleEndian ? png_set_bgr(png_) : png_set_swap_alpha(png_);
    return alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
  }

  QImage::Format chooseGreyFormat(bool transparentColour) {
    if (depth_ == 1) {
      png_set_invert_mono(png_);
      return QImage::Format_Mono;
    }
    if (depth_ == 16 && !transparentColour) {
      if (kLittleEndian) png_set_swap(png_);
      return QImage::Format_Grayscale16;
    }
    if (depth_ == 16) {
      png_set_expand(png_);
      png_set_gray_to_rgb(png_);
      if (kLittleEndian) png_set_swap(png_);
      return QImage::Format_RGBA64;
    }
    if (depth_ == 8 && !transparentColour) return QImage::Format_Grayscale8;
    png_set_packing(png_);
    return QImage::Format_Indexed8;  // grey levels, one of them transparent
  }

  void allocate(QImage::Format format) {
    const QSize whole(static_cast<int>(png_get_image_width(png_, info_)),
                      static_cast<int>(png_get_image_height(png_, info_)));
    picture_ = QImage(options_.corner.isEmpty() ? whole : whole.boundedTo(options_.corner), format);
    if (picture_.isNull()) refuseUnallocatedPicture(name_);
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    png_color_16p transparent = nullptr;
    png_get_tRNS(png_, info_, &alphas, &alphaCount, &transparent);
    if (colourType_ == PNG_COLOR_TYPE_PALETTE)
      setPaletteColours(alphas, alphaCount);
    else if (picture_.format() == QImage::Format_Mono)
      setBlackAndWhite(transparent);
    else if (picture_.format() == QImage::Format_Indexed8)
      setGreyLevels(transparent);
  }

  void setPaletteColours(png_const_bytep alphas, int alphaCount) {
    png_colorp palette = nullptr;
    int count = 0;
    png_get_PLTE(png_, info_, &palette, &count);
    picture_.setColorCount(picture_.format() == QImage::Format_Mono ? 2 : count);
    for (int i = 0; i < std::min(count, picture_.colorCount()); ++i) {
      const int alpha = alphas != nullptr && i < alphaCount ? alphas[i] : 255;
      picture_.setColor(i, qRgba(palette[i].red, palette[i].green, palette[i].blue, alpha));
    }
  }

  // Inverted on reading: 0 is white, 1 black.
  void setBlackAndWhite(png_const_color_16p transparent) {
    picture_.setColorCount(2);
    picture_.setColor(0, qRgb(255, 255, 255));
    picture_.setColor(1, qRgb(0, 0, 0));
    if (transparent != nullptr && transparent->gray <= 1)
      picture_.setColor(1 - transparent->gray,
                        qRgba(255 * transparent->gray, 255 * transparent->gray, 255 * transparent->gray, 0));
  }

  void setGreyLevels(png_const_color_16p transparent) {
    const int levels = depth_ < 8 ? 1 << depth_ : 256;
    picture_.setColorCount(levels);
    for (int level = 0; level < levels; ++level) {
      const int grey = level * 255 / (levels - 1);
      picture_.setColor(level, qRgb(grey, grey, grey));
    }
    if (transparent != nullptr && transparent->gray < levels) picture_.setColor(transparent->gray, 0);
  }

  bool readRows() {
    const int height = static_cast<int>(png_get_image_height(png_, info_));
    const int rows = picture_.height();
    const size_t rowBytes = png_get_rowbytes(png_, info_);
    const bool interlaced = passes_ > 1;
    // Each pass adds its pixels to the rows kept; a scratch row takes the others.
    buffer_.assign((interlaced ? static_cast<size_t>(rows) + 1 : 1) * rowBytes, 0);
    png_bytep scratch = buffer_.data() + (interlaced ? static_cast<size_t>(rows) * rowBytes : 0);
    for (int pass = 0; pass < passes_; ++pass) {
      const int lastRow = pass + 1 == passes_ ? rows : height;  // the last pass stops below the corner
      for (int y = 0; y < lastRow; ++y) {
        png_bytep row = interlaced && y < rows ? buffer_.data() + static_cast<size_t>(y) * rowBytes : scratch;
        png_read_row(png_, row, nullptr);
        if (callbacks_.failed) return false;
        if (!interlaced) keepRow(y, row, rowBytes);
      }
    }
    if (interlaced)
      for (int y = 0; y < rows; ++y) keepRow(y, buffer_.data() + static_cast<size_t>(y) * rowBytes, rowBytes);
    // Only a picture read to its last row is checked to its end.
    if (rows == height) png_read_end(png_, nullptr);
    return !callbacks_.failed;
  }

  void keepRow(int y, png_const_bytep row, size_t rowBytes) {
    uchar* out = picture_.scanLine(y);
    const size_t kept = (static_cast<size_t>(picture_.width()) * static_cast<size_t>(picture_.depth()) + 7) / 8;
    std::memcpy(out, row, std::min(kept, rowBytes));
    // As Qt's reader: an index beyond the palette shows its first colour.
    if (colourType_ == PNG_COLOR_TYPE_PALETTE && picture_.format() == QImage::Format_Indexed8)
      std::replace_if(
          out, out + picture_.width(), [this](uchar index) { return index >= picture_.colorCount(); }, uchar{0});
  }

  // libpng checks a chunk's CRC once it has read the chunk to its end, and
  // a corner stops inside one: that chunk is read on to its end here and
  // checked, so that every chunk the rows came from is known whole.
  void checkTheChunkLeftOpen() {
    QIODevice& device = *callbacks_.device;
    const qint64 stopped = device.pos();
    for (qint64 chunk = start_ + kSignatureBytes, end = 0; chunk < stopped; chunk = end) {
      char length[4];
      if (!device.seek(chunk) || device.read(length, 4) != 4) return;
      end = chunk + 12 + qFromBigEndian<quint32>(length);
      if (end > stopped) return checkCrc(chunk, end);
    }
  }

  void checkCrc(qint64 chunk, qint64 end) {
    QIODevice& device = *callbacks_.device;
    uLong crc = crc32(0, nullptr, 0);
    QByteArray piece;
    for (qint64 at = chunk + 4; at < end - 4; at += piece.size()) {  // the type and the data
      piece = device.read(std::min(kCrcPieceBytes, end - 4 - at));
      if (piece.isEmpty()) refuseInvalidPicture(name_, QStringLiteral("is cut short within a chunk it is read from"));
      crc = crc32(crc, reinterpret_cast<const Bytef*>(piece.constData()), static_cast<uInt>(piece.size()));
    }
    char stored[4];
    if (device.read(stored, 4) != 4 || qFromBigEndian<quint32>(stored) != crc)
      refuseInvalidPicture(name_, QStringLiteral("is damaged or cut short (a chunk it is read from fails its CRC)"));
  }

  const QString& name_;
  const PictureLoadOptions& options_;
  const qint64 start_;
  Callbacks callbacks_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  int colourType_ = 0;
  int depth_ = 0;
  int passes_ = 1;
  QColorSpace colourSpace_;
  std::vector<png_byte> buffer_;
  QImage picture_;
};

}  // namespace

QImage decodePng(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  return PngDecoder(device, name, options).decode();
}

}  // namespace tavro

// PNG through libpng, decoded down to the region's last row and no further;
// every error and warning libpng gives within what is read refuses it. An
// interlaced picture holds its odd rows in the last of seven passes: the
// six before it are decoded whole, a row at a time, into the region's rows.

#include <png.h>
#include <zlib.h>

#include <QIODevice>
#include <QPointF>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "pictures/picture_decoder.h"

namespace tavro {

namespace {

constexpr qint64 kSignatureBytes = 8, kCrcPieceBytes = 64 * 1024;

// What libpng calls back into: plain data, as an error leaves by longjmp.
struct Callbacks {
  QIODevice* device = nullptr;
  bool failed = false;  // by an error or a warning
  char message[200] = {};
};

extern "C" {

// libpng carries on after a warning; the picture is refused once the call returns.
void notePngWarning(png_structp png, png_const_charp message) {
  Callbacks& callbacks = *static_cast<Callbacks*>(png_get_error_ptr(png));
  if (!callbacks.failed) std::snprintf(callbacks.message, sizeof callbacks.message, "%s", message ? message : "");
  callbacks.failed = true;
}

void refusePngOnError(png_structp png, png_const_charp message) {
  notePngWarning(png, message);
  png_longjmp(png, 1);
}

void readPngFromDevice(png_structp png, png_bytep data, size_t length) {
  QIODevice& device = *static_cast<Callbacks*>(png_get_io_ptr(png))->device;
  for (qint64 read = 0; length > 0; data += read, length -= static_cast<size_t>(read))
    if ((read = device.read(reinterpret_cast<char*>(data), static_cast<qint64>(length))) <= 0)
      png_error(png, "the file ends before the picture does");
}

}  // extern "C"

// libpng's structures, freed however the decoder ends.
struct PngStructs {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngStructs() = default;
  PngStructs(const PngStructs&) = delete;
  ~PngStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

class PngDecoder : public PictureDecoder {
 public:
  PngDecoder(QIODevice& device, const QString& name) : name_(name), start_(device.pos()) {
    callbacks_.device = &device;
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &callbacks_, refusePngOnError, notePngWarning);
    if (png_ == nullptr) refuseUnallocatedPicture(name_);
    if (!readHeaderOrRefuse()) throwRefusal();
  }

  void decode(const QRect& region, const RowSink& row) override {
    if (!readRowsOrRefuse(region, row)) throwRefusal();
    if (region.bottom() + 1 < size_.height()) checkTheChunkLeftOpen();
  }

 private:
  // Every libpng call happens in these two or below, an error longjmping back to their setjmp; nothing
  // that needs destroying lives across a call.
  bool readHeaderOrRefuse() {
    if (setjmp(png_jmpbuf(png_)) != 0) return false;
    if ((info_ = png_create_info_struct(png_)) == nullptr) png_error(png_, "out of memory");
    png_set_read_fn(png_, &callbacks_, readPngFromDevice);
    png_set_option(png_, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);  // which some writers need
    // An embedded profile that is an old copy of sRGB's says nothing about the picture.
    png_set_option(png_, PNG_SKIP_sRGB_CHECK_PROFILE, PNG_OPTION_ON);
    png_set_check_for_invalid_index(png_, 0);  // such an index shows the first colour
    png_read_info(png_, info_);
    if (callbacks_.failed) return false;
    // libpng refuses more than a million pixels a side.
    size_ = QSize(static_cast<int>(png_get_image_width(png_, info_)), static_cast<int>(png_get_image_height(png_, info_)));
    readColourSpace();
    chooseRows();
    png_read_update_info(png_, info_);
    return !callbacks_.failed;
  }

  // Grey is weighed in this space: an embedded profile, else the sRGB chunk, else gamma with the
  // chromaticities (sRGB's when the file gives none), as Qt's reader takes them.
  void readColourSpace() {
    png_charp profileName = nullptr;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    int compression = 0, intent = -1;
    double fileGamma = 0.0, white[2], red[2], green[2], blue[2];
    if (png_get_iCCP(png_, info_, &profileName, &compression, &profile, &length) != 0)
      colourSpace_ = QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char*>(profile), length));
    if (!colourSpace_.isValid() && png_get_sRGB(png_, info_, &intent) != 0 && intent >= 0 && intent <= 3)
      colourSpace_ = QColorSpace::SRgb;
    if (colourSpace_.isValid() || png_get_gAMA(png_, info_, &fileGamma) == 0 || float(fileGamma) <= 0.0f) return;
    const float gamma = 1.0f / static_cast<float>(fileGamma);  // the file gives its encoding exponent
    if (png_get_cHRM(png_, info_, &white[0], &white[1], &red[0], &red[1], &green[0], &green[1], &blue[0], &blue[1]))
      colourSpace_ = QColorSpace({white[0], white[1]}, {red[0], red[1]}, {green[0], green[1]}, {blue[0], blue[1]},
                                 QColorSpace::TransferFunction::Gamma, gamma);
    if (!colourSpace_.isValid())
      colourSpace_ = QColorSpace(QColorSpace::Primaries::SRgb, QColorSpace::TransferFunction::Gamma, gamma);
  }

  // The transformations that give the row format; palette indices, and grey
  // levels one of which is transparent, go through a table of colours: an
  // index beyond the palette shows its first colour, the transparent grey
  // level (of two bits or more) transparent black, as in Qt's reader.
  void chooseRows() {
    const int type = png_get_color_type(png_, info_), depth = png_get_bit_depth(png_, info_);
    const bool transparentColour = png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    passes_ = png_set_interlace_handling(png_);
    if (type == PNG_COLOR_TYPE_PALETTE || (type == PNG_COLOR_TYPE_GRAY && transparentColour && depth <= 8)) {
      png_set_packing(png_);
      return fillColourTable(type == PNG_COLOR_TYPE_PALETTE, depth);
    }
    png_set_expand(png_);  // low depths to 8 bits, a transparent colour to alpha
    if (type == PNG_COLOR_TYPE_GRAY && !transparentColour) {
      png_set_scale_16(png_);
      rowFormat_ = QImage::Format_Grayscale8;
      return;
    }
    if ((type & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png_);
    if ((type & PNG_COLOR_MASK_ALPHA) == 0 && !transparentColour)
      png_set_filler(png_, depth == 16 ? 0xffff : 0xff, PNG_FILLER_AFTER);
    depth == 16 ? png_set_swap(png_) : png_set_bgr(png_);  // RGBA64, or 0xAARRGGBB words
    rowFormat_ = depth == 16 ? QImage::Format_RGBA64 : QImage::Format_ARGB32;
  }

  void fillColourTable(bool palette, int depth) {
    png_bytep alphas = nullptr;
    png_color_16p transparent = nullptr;
    png_colorp entry = nullptr;
    int alphaCount = 0, count = 0;
    png_get_tRNS(png_, info_, &alphas, &alphaCount, &transparent);
    if (palette) png_get_PLTE(png_, info_, &entry, &count);
    for (int i = 0; i < 256; ++i) {
      const int grey = i < 1 << depth ? i * 255 / ((1 << depth) - 1) : 0;
      colours_[std::size_t(i)] = !palette   ? qRgb(grey, grey, grey)
                                 : i < count ? qRgba(entry[i].red, entry[i].green, entry[i].blue, i < alphaCount ? alphas[i] : 255)
                                             : colours_[0];
    }
    if (!palette && transparent->gray < 256) colours_[transparent->gray] &= depth == 1 ? 0x00ffffffu : 0u;
    indexed_ = true;
  }

  bool readRowsOrRefuse(const QRect& region, const RowSink& row) {
    if (setjmp(png_jmpbuf(png_)) != 0) return false;
    const int top = region.top(), end = region.bottom() + 1;
    const size_t rowBytes = png_get_rowbytes(png_, info_);
    const bool interlaced = passes_ > 1;
    // Each pass adds its pixels to the rows kept; the others are decoded and dropped.
    buffer_.assign((interlaced ? static_cast<size_t>(region.height()) : 1) * rowBytes, 0);
    for (int pass = 0; pass < passes_; ++pass)
      for (int y = 0; y < (pass + 1 == passes_ ? end : size_.height()); ++y) {  // the last pass stops below the region
        png_bytep kept = !interlaced ? buffer_.data() : y >= top && y < end ? buffer_.data() + (y - top) * rowBytes : nullptr;
        png_read_row(png_, kept, nullptr);
        if (callbacks_.failed) return false;
        if (!interlaced && y >= top) deliver(y, kept, region, row);
      }
    for (int y = top; interlaced && y < end; ++y) deliver(y, buffer_.data() + (y - top) * rowBytes, region, row);
    if (end == size_.height()) png_read_end(png_, nullptr);  // only a picture read to its last row is checked to its end
    return !callbacks_.failed;
  }

  void deliver(int y, png_const_bytep samples, const QRect& region, const RowSink& row) {
    if (!indexed_) return row(y, samples + region.left() * (QImage::toPixelFormat(rowFormat_).bitsPerPixel() / 8));
    colourRow_.resize(static_cast<size_t>(region.width()));
    for (int x = 0; x < region.width(); ++x) colourRow_[static_cast<size_t>(x)] = colours_[samples[region.left() + x]];
    row(y, reinterpret_cast<const uchar*>(colourRow_.data()));
  }

  // libpng checks a chunk's CRC at its end, and a region stops inside one: read on and checked here.
  void checkTheChunkLeftOpen() {
    QIODevice& device = *callbacks_.device;
    const qint64 stopped = device.pos();
    qint64 chunk = start_ + kSignatureBytes, end = 0;
    for (char length[4]; chunk < stopped; chunk = end) {
      if (!device.seek(chunk) || device.read(length, 4) != 4) return;
      if ((end = chunk + 12 + qFromBigEndian<quint32>(length)) > stopped) break;
    }
    if (chunk >= stopped) return;
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

  [[noreturn]] void throwRefusal() const {
    refuseInvalidPicture(name_, QStringLiteral("is damaged or cut short (%1)").arg(QString::fromUtf8(callbacks_.message)));
  }

  const QString& name_;
  const qint64 start_;
  Callbacks callbacks_;
  PngStructs structs_;
  png_structp& png_ = structs_.png;
  png_infop& info_ = structs_.info;
  int passes_ = 1;
  bool indexed_ = false;
  std::array<QRgb, 256> colours_{};
  std::vector<png_byte> buffer_;
  std::vector<QRgb> colourRow_;
};

}  // namespace

std::unique_ptr<PictureDecoder> openPng(QIODevice& device, const QString& name) {
  return std::make_unique<PngDecoder>(device, name);
}

}  // namespace tavro

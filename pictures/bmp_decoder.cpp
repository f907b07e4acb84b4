// BMP of 1 to 32 bits a pixel, uncompressed, with bit-field masks or run-length coded (RLE8, RLE4),
// with the info headers Qt's reader takes. An uncompressed file must hold every row it declares (its
// size says so); the region's rows are found by seeking. A run-length stream is walked to its end (the
// top rows come last); pixels it skips show the table's first colour, an index beyond the table black.
// As in Qt's reader, a bit-field channel of n bits is scaled by 256 / 2^n, truncated (0 beyond 8
// bits), and alpha is read where a header of 108 bytes or more gives its mask.

#include <QIODevice>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <vector>

#include "pictures/picture_decoder.h"

namespace tavro {

namespace {

constexpr int kRunLength8 = 1, kRunLength4 = 2, kBitFields = 3;
constexpr qint64 kPieceBytes = 64 * 1024;

// The channel of a 16- or 32-bit pixel that a mask picks.
int channel(quint32 pixel, quint32 mask) {
  const int shift = mask == 0 ? 0 : std::countr_zero(mask);
  return static_cast<int>(((pixel & mask) >> shift) * (256 / ((mask >> shift) + 1)));
}

class BmpDecoder : public PictureDecoder {
 public:
  // The headers, masks and colour table lie in the file's first bytes.
  BmpDecoder(QIODevice& device, const QString& name) : device_(device), name_(name), start_(device.pos()) {
    const QByteArray head = device.read(14 + 124 + 12 + 256 * 4);
    const auto field = [&](qint64 at, int size) {
      if (at + size > head.size()) refuseInvalidPicture(name_, QStringLiteral("is cut short in its header"));
      return size == 2 ? qFromLittleEndian<quint16>(head.constData() + at) : qFromLittleEndian<quint32>(head.constData() + at);
    };
    const quint32 infoBytes = field(14, 4);
    const bool core = infoBytes == 12;  // 16-bit fields, table entries of three bytes
    if (!core && infoBytes != 40 && infoBytes != 64 && infoBytes != 108 && infoBytes != 124)
      refuseInvalidPicture(name_, QStringLiteral("has an info header of %1 bytes, which no BMP has").arg(infoBytes));
    const qint64 width = core ? qint16(field(18, 2)) : qint32(field(18, 4));
    const qint64 height = core ? qint16(field(20, 2)) : qint32(field(22, 4));
    bits_ = static_cast<int>(field(core ? 24 : 28, 2));
    compression_ = core ? 0 : static_cast<int>(field(30, 4));
    const bool wide = (compression_ == 0 || compression_ == kBitFields) && (bits_ == 16 || bits_ == 32);
    const bool known = wide || (compression_ == 0 && (bits_ == 1 || bits_ == 4 || bits_ == 8 || bits_ == 24)) ||
                       (compression_ == kRunLength8 && bits_ == 8) || (compression_ == kRunLength4 && bits_ == 4);
    if (!known || field(core ? 22 : 26, 2) != 1 || width <= 0 || height == 0)
      refuseInvalidPicture(name_, QStringLiteral("is a BMP that cannot be shown (%1 bits a pixel, compression %2)")
                                      .arg(bits_).arg(compression_));
    topDown_ = height < 0;
    size_ = QSize(static_cast<int>(width), static_cast<int>(std::min<qint64>(std::abs(height), INT_MAX)));
    rowBytes_ = (width * bits_ + 31) / 32 * 4;
    // Masks lie within a header of 108 bytes or more, or follow the header.
    qint64 tableAt = 14 + infoBytes;
    if (wide) {
      masks_ = {bits_ == 16 ? 0x7c00u : 0xff0000u, bits_ == 16 ? 0x3e0u : 0xff00u, bits_ == 16 ? 0x1fu : 0xffu, 0};
      for (int i = 0; compression_ == kBitFields && i < 3; ++i) masks_[i] = field((infoBytes >= 108 ? 54 : tableAt) + 4 * i, 4);
      if (infoBytes >= 108) masks_[3] = field(66, 4);
      if (compression_ == kBitFields && infoBytes == 40) tableAt += 12;
      for (const quint32 mask : masks_)
        if (mask != 0 && mask >> std::countr_zero(mask) == 0xffffffff)
          refuseInvalidPicture(name_, QStringLiteral("has a colour mask of all 32 bits"));
    }
    const qint64 colours = bits_ > 8 ? 0 : core || field(46, 4) == 0 ? qint64{1} << bits_ : field(46, 4);
    const int entryBytes = core ? 3 : 4;
    if (colours > 256) refuseInvalidPicture(name_, QStringLiteral("declares more than 256 colours"));
    if (tableAt + colours * entryBytes > head.size())
      refuseInvalidPicture(name_, QStringLiteral("is cut short in its colour table"));
    colours_.fill(0xff000000);
    for (int i = 0; i < colours; ++i) {
      const auto* entry = reinterpret_cast<const uchar*>(head.constData()) + tableAt + entryBytes * i;  // blue, green, red
      colours_[static_cast<std::size_t>(i)] = qRgb(entry[2], entry[1], entry[0]);
    }
    dataAt_ = std::max<qint64>(field(10, 4), tableAt + colours * entryBytes);
  }

  void decode(const QRect& region, const RowSink& row) override {
    const bool runLength = compression_ == kRunLength8 || compression_ == kRunLength4;
    if (!runLength) checkHeld(name_, device_.size() - start_ - dataAt_, rowBytes_ * size_.height());
    region_ = region;
    indices_.assign(runLength ? std::size_t(region.width()) * std::size_t(region.height()) : 0, 0);
    if (runLength && (!device_.seek(start_ + dataAt_) || !walk()))
      refuseInvalidPicture(name_, QStringLiteral("ends before its run-length pixel data does"));
    QByteArray stored(runLength ? 0 : rowBytes_, Qt::Uninitialized);
    const auto* bytes = reinterpret_cast<const uchar*>(stored.constData());
    std::vector<QRgb> shown(static_cast<std::size_t>(region.width()));
    for (int y = region.top(); y <= region.bottom(); ++y) {
      const qint64 at = start_ + dataAt_ + (topDown_ ? y : size_.height() - 1 - y) * rowBytes_;
      if (!runLength && (!device_.seek(at) || device_.read(stored.data(), rowBytes_) != rowBytes_))
        refuseInvalidPicture(name_, QStringLiteral("cannot be read to its end"));
      const uchar* kept = runLength ? indices_.data() + (y - region.top()) * shown.size() : nullptr;
      for (int x = 0; x < region.width(); ++x)
        shown[std::size_t(x)] = runLength ? colours_[kept[x]] : pixel(bytes, region.left() + x);
      row(y, reinterpret_cast<const uchar*>(shown.data()));
    }
  }

 private:
  QRgb pixel(const uchar* row, int x) const {
    if (bits_ <= 8)
      return colours_[static_cast<std::size_t>(row[x * bits_ / 8] >> (8 - bits_ - x * bits_ % 8) & ((1 << bits_) - 1))];
    if (bits_ == 24) return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    const quint32 value = bits_ == 16 ? qFromLittleEndian<quint16>(row + 2 * x) : qFromLittleEndian<quint32>(row + 4 * x);
    return qRgba(channel(value, masks_[0]), channel(value, masks_[1]), channel(value, masks_[2]),
                 masks_[3] != 0 ? channel(value, masks_[3]) : 255);
  }

  // The stream's next byte, read in pieces; -1 past the end.
  int next() {
    if (at_ == piece_.size() && (at_ = 0, piece_ = device_.read(kPieceBytes)).isEmpty()) return -1;
    return static_cast<quint8>(piece_[at_++]);
  }

  // Whether the stream ends (end of bitmap, or of its last row) in the file.
  bool walk() {
    const bool fourBit = compression_ == kRunLength4;
    const auto value = [fourBit](int byte, int i) { return fourBit ? (i % 2 == 0 ? byte >> 4 : byte & 0x0f) : byte; };
    while (row_ < size_.height()) {
      const int count = next(), code = next();
      if (code < 0) return false;
      if (count > 0) {  // `count` pixels of one value, or of two alternating ones
        draw(count, [&](int i) { return value(code, i); });
      } else if (code == 0) {  // end of the row
        ++row_;
        x_ = 0;
      } else if (code == 1) {  // end of the bitmap
        return true;
      } else if (code == 2) {  // a jump right and up, kept inside the picture as Qt's reader does
        const int right = next(), up = next();
        if (up < 0) return false;
        x_ = std::min<qint64>(x_ + right, size_.width() - 1);
        row_ = std::min<qint64>(row_ + up, size_.height() - 1);
      } else {  // `code` pixels as they are, padded to a 16-bit word
        std::array<int, 256> bytes{};
        for (int i = 0; i < ((fourBit ? (code + 1) / 2 : code) + 1) / 2 * 2; ++i)
          if ((bytes[static_cast<std::size_t>(i)] = next()) < 0) return false;
        draw(code, [&](int i) { return value(bytes[static_cast<std::size_t>(fourBit ? i / 2 : i)], i); });
      }
    }
    return true;
  }

  template <typename Pixel>
  void draw(int count, Pixel pixel) {
    const qint64 y = topDown_ ? row_ : size_.height() - 1 - row_;
    if (y >= region_.top() && y <= region_.bottom()) {
      uchar* line = indices_.data() + static_cast<std::size_t>(y - region_.top()) * static_cast<std::size_t>(region_.width());
      for (qint64 x = std::max<qint64>(x_, region_.left()); x < std::min<qint64>(x_ + count, region_.right() + 1); ++x)
        line[x - region_.left()] = static_cast<uchar>(pixel(static_cast<int>(x - x_)));
    }
    x_ += count;
  }

  QIODevice& device_;
  const QString& name_;
  const qint64 start_;
  int bits_ = 0, compression_ = 0;
  bool topDown_ = false;
  qint64 rowBytes_ = 0, dataAt_ = 0;
  std::array<quint32, 4> masks_{};  // red, green, blue, alpha
  std::array<QRgb, 256> colours_{};
  // The run-length walk: the stream's bytes, where it stands, the region's pixels.
  QByteArray piece_;
  qsizetype at_ = 0;
  qint64 row_ = 0, x_ = 0;  // row_ from the first row of the stream
  QRect region_;
  std::vector<uchar> indices_;
};

}  // namespace

std::unique_ptr<PictureDecoder> openBmp(QIODevice& device, const QString& name) {
  return std::make_unique<BmpDecoder>(device, name);
}

}  // namespace tavro

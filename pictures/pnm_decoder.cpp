// PBM, PGM and PPM, ASCII (P1-P3) and binary (P4-P6), samples of up to 16
// bits. A binary file must hold every row it declares (its size says so);
// the region's rows are found by seeking. An ASCII file is read up to the
// region's last row, each sample a number no greater than the maximum.
// Levels are Qt's reader's: a sample v of maximum m is 255 v / m in grey,
// 65535 v / m made 8 bits as QRgba64 does in colour.

#include <QIODevice>
#include <QRgba64>
#include <cctype>
#include <cstring>
#include <vector>

#include "pictures/picture_decoder.h"

namespace tavro {

namespace {

constexpr qint64 kPieceBytes = 64 * 1024;
constexpr int kMaxDigits = 9;

class PnmDecoder : public PictureDecoder {
 public:
  PnmDecoder(QIODevice& device, const QString& name) : device_(device), name_(name), start_(device.pos()) {
    next();
    kind_ = next() - '0';
    const bool spaced = std::isspace(next());
    const qint64 width = number(), height = number();
    maximum_ = kind_ == 1 || kind_ == 4 ? 1 : static_cast<int>(number());
    if (!spaced || width < 0 || height < 0 || maximum_ <= 0 || maximum_ > 0xffff)
      refuseInvalidPicture(name_, QStringLiteral("is cut short or damaged in its header"));
    size_ = QSize(static_cast<int>(width), static_cast<int>(height));
    channels_ = kind_ == 3 || kind_ == 6 ? 3 : 1;
    rowFormat_ = channels_ == 3 ? QImage::Format_ARGB32 : QImage::Format_Grayscale8;
    dataAt_ = read_;
  }

  void decode(const QRect& region, const RowSink& row) override {
    shown_.resize(static_cast<std::size_t>(region.width()) * 4);
    if (kind_ <= 3) return decodeText(region, row);
    const int sampleBytes = maximum_ > 255 ? 2 : 1;
    const qint64 rowBytes = kind_ == 4 ? (size_.width() + 7) / 8 : qint64{size_.width()} * channels_ * sampleBytes;
    checkHeld(name_, device_.size() - start_ - dataAt_, rowBytes * size_.height());
    QByteArray stored(rowBytes, Qt::Uninitialized);
    const auto* bytes = reinterpret_cast<const uchar*>(stored.constData());
    for (int y = region.top(); y <= region.bottom(); ++y) {
      if (!device_.seek(start_ + dataAt_ + y * rowBytes) || device_.read(stored.data(), rowBytes) != rowBytes)
        refuseInvalidPicture(name_, QStringLiteral("cannot be read to its end"));
      for (int x = region.left(); x <= region.right(); ++x) {
        int samples[3] = {};
        for (qint64 c = 0, at = qint64{x} * channels_ * sampleBytes; c < channels_; ++c, at += sampleBytes)
          samples[c] = kind_ == 4          ? bytes[x / 8] >> (7 - x % 8) & 1
                       : sampleBytes == 2 ? bytes[at] << 8 | bytes[at + 1] : bytes[at];
        store(x - region.left(), samples);
      }
      row(y, shown_.data());
    }
  }

 private:
  // The file's bytes, read in pieces; -1 past the end.
  int next() {
    if (at_ == piece_.size() && (at_ = 0, piece_ = device_.read(kPieceBytes)).isEmpty()) return -1;
    ++read_;
    return static_cast<quint8>(piece_[at_++]);
  }

  // The next number (at most kMaxDigits digits, or one) after whitespace and comments, with the one
  // after it taken too; -1 when there is none, or something else follows it.
  qint64 number(bool oneDigit = false) {
    int c = next();
    for (; c == '#' || std::isspace(c); c = next()) if (c == '#') skipComment();
    if (!std::isdigit(c)) return -1;
    qint64 value = c - '0';
    for (int digits = 1; !oneDigit && std::isdigit(c = next()); ++digits) {
      if (digits == kMaxDigits) return -1;
      value = value * 10 + (c - '0');
    }
    if (oneDigit) return value;
    if (c == '#') skipComment();
    return c < 0 || c == '#' || std::isspace(c) ? value : -1;
  }

  void skipComment() {
    for (int c = 0; c >= 0 && c != '\n' && c != '\r';) c = next();
  }

  void decodeText(const QRect& region, const RowSink& row) {
    for (int y = 0; y <= region.bottom(); ++y) {
      for (int x = 0; x < size_.width(); ++x) {
        int samples[3] = {};
        for (int c = 0; c < channels_; ++c) {
          const qint64 value = number(kind_ == 1);
          if (value < 0 || value > maximum_)
            refuseInvalidPicture(name_, QStringLiteral("is cut short or damaged in its pixel data (row %1)").arg(y));
          samples[c] = static_cast<int>(value);
        }
        if (y >= region.top() && x >= region.left() && x <= region.right()) store(x - region.left(), samples);
      }
      if (y >= region.top()) row(y, shown_.data());
    }
  }

  void store(int x, const int* samples) {
    if (channels_ == 1) {
      shown_[static_cast<std::size_t>(x)] =
          kind_ == 1 || kind_ == 4 ? (samples[0] != 0 ? 0 : 255) : static_cast<uchar>(samples[0] * 255 / maximum_);
      return;
    }
    const auto level = [this](int v) { return static_cast<quint16>(qint64{v} * 0xffff / maximum_); };
    const QRgb pixel = QRgba64::fromRgba64(level(samples[0]), level(samples[1]), level(samples[2]), 0xffff).toArgb32();
    std::memcpy(&shown_[static_cast<std::size_t>(x) * 4], &pixel, 4);
  }

  QIODevice& device_;
  const QString& name_;
  const qint64 start_;
  QByteArray piece_;
  qsizetype at_ = 0;
  qint64 read_ = 0, dataAt_ = 0;  // bytes taken by next(); where the pixel data starts
  int kind_ = 0, maximum_ = 1, channels_ = 1;  // kind: the digit after P
  std::vector<uchar> shown_;
};

}  // namespace

std::unique_ptr<PictureDecoder> openPnm(QIODevice& device, const QString& name) {
  return std::make_unique<PnmDecoder>(device, name);
}

}  // namespace tavro

#include "pictures/bmp_run_length.h"

#include <QIODevice>
#include <algorithm>
#include <array>

#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

constexpr qint64 kPieceBytes = 64 * 1024;
constexpr int kMaxColours = 256;

// The stream's bytes, read from the device in pieces.
class ByteReader {
 public:
  explicit ByteReader(QIODevice& device) : device_(device) {}
  // The next byte, or -1 past the end.
  int next() {
    if (at_ == piece_.size()) {
      piece_ = device_.read(kPieceBytes);
      at_ = 0;
      if (piece_.isEmpty()) return -1;
    }
    return static_cast<quint8>(piece_[at_++]);
  }

 private:
  QIODevice& device_;
  QByteArray piece_;
  qsizetype at_ = 0;
};

// Where the stream stands, and the pixels it draws into the corner.
class RunLengthWalk {
 public:
  RunLengthWalk(const BmpHeader& header, QImage* picture)
      : width_(header.width),
        rows_(header.height < 0 ? -header.height : header.height),
        topDown_(header.height < 0),
        fourBit_(header.compression == kBmpRunLength4),
        picture_(picture) {}

  bool walk(ByteReader& in) {
    while (row_ < rows_) {
      const int count = in.next();
      const int code = in.next();
      if (code < 0) return false;
      if (count > 0) {  // `count` pixels of one value, or of two alternating ones
        draw(count, [&](int i) { return fourBit_ ? (i % 2 == 0 ? code >> 4 : code & 0x0f) : code; });
      } else if (code == 0) {  // end of the row
        ++row_;
        x_ = 0;
      } else if (code == 1) {  // end of the bitmap
        return true;
      } else if (code == 2) {  // a jump right and up, kept inside the picture as Qt's reader does
        const int right = in.next();
        const int up = in.next();
        if (up < 0) return false;
        x_ = std::min(x_ + right, width_ - 1);
        row_ = std::min(row_ + up, rows_ - 1);
      } else if (!readAsTheyAre(in, code)) {
        return false;
      }
    }
    return true;
  }

 private:
  // `count` pixels as they are, padded to a 16-bit word.
  bool readAsTheyAre(ByteReader& in, int count) {
    const int bytes = fourBit_ ? (count + 1) / 2 : count;
    std::array<int, 256> values{};
    for (int i = 0; i < (bytes + 1) / 2 * 2; ++i)
      if ((values[static_cast<std::size_t>(i)] = in.next()) < 0) return false;
    draw(count, [&](int i) {
      const int value = values[static_cast<std::size_t>(fourBit_ ? i / 2 : i)];
      return fourBit_ ? (i % 2 == 0 ? value >> 4 : value & 0x0f) : value;
    });
    return true;
  }

  template <typename Pixel>
  void draw(int count, Pixel pixel) {
    const qint64 y = topDown_ ? row_ : rows_ - 1 - row_;
    if (picture_ != nullptr && y < picture_->height() && x_ < picture_->width()) {
      uchar* line = picture_->scanLine(static_cast<int>(y));
      const qint64 shown = std::min<qint64>(count, picture_->width() - x_);
      for (int i = 0; i < shown; ++i) line[x_ + i] = static_cast<uchar>(pixel(i));
    }
    x_ += count;
  }

  const qint64 width_;
  const qint64 rows_;
  const bool topDown_;
  const bool fourBit_;
  QImage* const picture_;
  qint64 row_ = 0;  // from the first row of the stream
  qint64 x_ = 0;
};

// What Qt's reader decodes as a run-length picture; it refuses other
// combinations, which are left to it.
bool isRunLengthPicture(const BmpHeader& header) {
  const bool coded = (header.compression == kBmpRunLength8 && header.bitsPerPixel == 8) ||
                     (header.compression == kBmpRunLength4 && header.bitsPerPixel == 4);
  return coded && header.current && header.planes == 1 && header.width > 0 && header.height != 0 &&
         header.colourCount >= 1 && header.colourCount <= kMaxColours;
}

void readColourTable(QIODevice& device, qint64 start, const BmpHeader& header, QImage& picture, const QString& name) {
  const qint64 bytes = header.colourCount * 4;
  const qint64 at = start + header.colourTableOffset;
  const QByteArray table = at + bytes <= device.size() && device.seek(at) ? device.read(bytes) : QByteArray();
  if (table.size() != bytes) refuseInvalidPicture(name, QStringLiteral("is cut short in its colour table"));
  picture.setColorCount(static_cast<int>(header.colourCount));
  for (int i = 0; i < header.colourCount; ++i) {
    const auto* entry = reinterpret_cast<const quint8*>(table.constData()) + 4 * i;  // blue, green, red, unused
    picture.setColor(i, qRgb(entry[2], entry[1], entry[0]));
  }
}

}  // namespace

void walkRunLengthStream(QIODevice& device, qint64 start, const BmpHeader& header, QImage* picture,
                         const QString& name) {
  const qint64 dataStart = start + header.dataOffset;
  ByteReader in(device);
  if (dataStart > device.size() || !device.seek(dataStart) || !RunLengthWalk(header, picture).walk(in))
    refuseInvalidPicture(name, QStringLiteral("ends before its run-length pixel data does"));
}

QImage decodeRunLengthBmp(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  const qint64 start = device.pos();
  const BmpHeader header = readBmpHeader(device, name);
  if (!isRunLengthPicture(header)) {
    device.seek(start);
    return {};
  }
  const qint64 rows = header.height < 0 ? -header.height : header.height;
  checkDeclaredSize(name, header.width, rows);
  const QSize whole(static_cast<int>(header.width), static_cast<int>(rows));
  QImage picture(options.corner.isEmpty() ? whole : whole.boundedTo(options.corner), QImage::Format_Indexed8);
  if (picture.isNull()) refuseUnallocatedPicture(name);
  picture.fill(0);
  readColourTable(device, start, header, picture, name);
  walkRunLengthStream(device, start, header, &picture, name);
  return picture;
}

}  // namespace tavro

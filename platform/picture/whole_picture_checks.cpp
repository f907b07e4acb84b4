#include "platform/picture/whole_picture_checks.h"

#include <QIODevice>
#include <algorithm>
#include <vector>

#include "platform/picture/gif_walk.h"
#include "platform/picture/picture_refusal.h"

namespace tavro {

namespace {

// Puts the device back where the check found it, whatever happens.
class PositionKeeper {
 public:
  explicit PositionKeeper(QIODevice& device) : device_(device), position_(device.pos()) {}
  ~PositionKeeper() { device_.seek(position_); }
  PositionKeeper(const PositionKeeper&) = delete;
  PositionKeeper& operator=(const PositionKeeper&) = delete;
  qint64 position() const { return position_; }

 private:
  QIODevice& device_;
  qint64 position_;
};

// --- BMP ---

constexpr int kFileHeaderBytes = 14;
constexpr int kBitFieldMaskBytes = 12;
constexpr int kRunLength8 = 1;
constexpr int kRunLength4 = 2;
constexpr int kBitFields = 3;

quint32 littleEndian(const QByteArray& bytes, int at, int size) {
  quint32 value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<quint8>(bytes[at + i]);
  return value;
}

// The header as Qt's reader takes it: sizes of 40, 64, 108 and 124 bytes
// hold 32-bit fields, anything else is read as the old 16-bit header.
struct BmpHeader {
  qint64 width = 0;
  qint64 height = 0;
  int bitsPerPixel = 0;
  int compression = 0;
  qint64 dataOffset = 0;  // from the header's start, where the pixel data begins
};

BmpHeader readBmpHeader(QIODevice& device, const QString& name) {
  const QByteArray bytes = device.read(kFileHeaderBytes + 40);
  if (bytes.size() < kFileHeaderBytes + 12) refuseInvalidPicture(name, QStringLiteral("is cut short in its header"));
  const quint32 infoBytes = littleEndian(bytes, 14, 4);
  const bool current = infoBytes == 40 || infoBytes == 64 || infoBytes == 108 || infoBytes == 124;
  if (current && bytes.size() < kFileHeaderBytes + 40)
    refuseInvalidPicture(name, QStringLiteral("is cut short in its header"));
  BmpHeader header;
  if (current) {
    header.width = static_cast<qint32>(littleEndian(bytes, 18, 4));
    header.height = static_cast<qint32>(littleEndian(bytes, 22, 4));
    header.bitsPerPixel = static_cast<int>(littleEndian(bytes, 28, 2));
    header.compression = static_cast<int>(littleEndian(bytes, 30, 4));
  } else {
    header.width = static_cast<qint16>(littleEndian(bytes, 18, 2));
    header.height = static_cast<qint16>(littleEndian(bytes, 20, 2));
    header.bitsPerPixel = static_cast<int>(littleEndian(bytes, 24, 2));
  }
  // A colour table follows the header; the data starts after it, or at the
  // offset the header gives when that lies further on.
  const qint64 colours = current ? littleEndian(bytes, 46, 4) : 0;
  const qint64 tableEntries = header.bitsPerPixel > 8 ? 0 : colours != 0 ? colours : qint64{1} << header.bitsPerPixel;
  const qint64 masks = infoBytes == 40 && header.compression == kBitFields ? kBitFieldMaskBytes : 0;
  const qint64 tableEnd = kFileHeaderBytes + infoBytes + masks + tableEntries * (current ? 4 : 3);
  header.dataOffset = std::max<qint64>(littleEndian(bytes, 10, 4), tableEnd);
  return header;
}

// Whether a run-length stream ends (end of bitmap, or the end of its last
// row) within the data.
bool runLengthStreamEnds(const QByteArray& data, qint64 rows, bool fourBitPixels) {
  const auto byte = [&data](qsizetype at) { return static_cast<quint8>(data[at]); };
  qint64 row = 0;
  qsizetype at = 0;
  while (row < rows) {
    if (at + 2 > data.size()) return false;
    const int count = byte(at);
    const int code = byte(at + 1);
    at += 2;
    if (count > 0) continue;  // a run of one value
    if (code == 0) {          // end of the row
      ++row;
    } else if (code == 1) {   // end of the bitmap
      return true;
    } else if (code == 2) {   // a jump: right, then down
      if (at + 2 > data.size()) return false;
      row += byte(at + 1);
      at += 2;
    } else {                  // `code` pixels as they are, padded to a 16-bit word
      const qsizetype bytes = fourBitPixels ? (code + 1) / 2 : code;
      at += (bytes + 1) / 2 * 2;
      if (at > data.size()) return false;
    }
  }
  return true;
}

}  // namespace

void checkBmpIsWhole(QIODevice& device, const QString& name) {
  const PositionKeeper keeper(device);
  const BmpHeader header = readBmpHeader(device, name);
  // No picture, or one Qt's reader refuses by itself.
  if (header.width <= 0 || header.height == 0 || header.bitsPerPixel > 32) return;
  const qint64 rows = header.height < 0 ? -header.height : header.height;
  checkDeclaredSize(name, header.width, rows);

  const qint64 dataStart = keeper.position() + header.dataOffset;
  const qint64 held = std::max<qint64>(0, device.size() - dataStart);
  if (header.compression == kRunLength8 || header.compression == kRunLength4) {
    device.seek(std::min(dataStart, device.size()));
    if (!runLengthStreamEnds(device.read(held), rows, header.compression == kRunLength4))
      refuseInvalidPicture(name, QStringLiteral("ends before its run-length pixel data does"));
    return;
  }
  const qint64 declared = (header.width * header.bitsPerPixel + 31) / 32 * 4 * rows;
  if (held < declared)
    refuseInvalidPicture(name, QStringLiteral("holds %1 of the %2 bytes of pixel data its header declares")
                                   .arg(held)
                                   .arg(declared));
}

void checkGifIsWhole(QIODevice& device, const QString& name) {
  const PositionKeeper keeper(device);
  GifWalk walk(device, name);
  walk.walkToTheTrailer([&walk] {
    std::vector<GifPixelType> row(static_cast<std::size_t>(walk.file().Image.Width));
    for (int y = 0; y < walk.file().Image.Height; ++y) walk.readRow(row.data());
  });
}

}  // namespace tavro

#include "pictures/bmp_header.h"

#include <QIODevice>
#include <algorithm>

#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

constexpr int kFileHeaderBytes = 14;
constexpr int kBitFieldMaskBytes = 12;

quint32 littleEndian(const QByteArray& bytes, int at, int size) {
  quint32 value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<quint8>(bytes[at + i]);
  return value;
}

}  // namespace

BmpHeader readBmpHeader(QIODevice& device, const QString& name) {
  const QByteArray bytes = device.read(kFileHeaderBytes + 40);
  if (bytes.size() < kFileHeaderBytes + 12) refuseInvalidPicture(name, QStringLiteral("is cut short in its header"));
  const quint32 infoBytes = littleEndian(bytes, 14, 4);
  BmpHeader header;
  header.current = infoBytes == 40 || infoBytes == 64 || infoBytes == 108 || infoBytes == 124;
  if (header.current && bytes.size() < kFileHeaderBytes + 40)
    refuseInvalidPicture(name, QStringLiteral("is cut short in its header"));
  if (header.current) {
    header.width = static_cast<qint32>(littleEndian(bytes, 18, 4));
    header.height = static_cast<qint32>(littleEndian(bytes, 22, 4));
    header.planes = static_cast<int>(littleEndian(bytes, 26, 2));
    header.bitsPerPixel = static_cast<int>(littleEndian(bytes, 28, 2));
    header.compression = static_cast<int>(littleEndian(bytes, 30, 4));
  } else {
    header.width = static_cast<qint16>(littleEndian(bytes, 18, 2));
    header.height = static_cast<qint16>(littleEndian(bytes, 20, 2));
    header.planes = static_cast<int>(littleEndian(bytes, 22, 2));
    header.bitsPerPixel = static_cast<int>(littleEndian(bytes, 24, 2));
  }
  // A colour table follows the header; the data starts after it, or at the
  // offset the header gives when that lies further on.
  const qint64 colours = header.current ? littleEndian(bytes, 46, 4) : 0;
  header.colourCount = header.bitsPerPixel > 8 ? 0 : colours != 0 ? colours : qint64{1} << header.bitsPerPixel;
  const qint64 masks = infoBytes == 40 && header.compression == kBmpBitFields ? kBitFieldMaskBytes : 0;
  header.colourTableOffset = kFileHeaderBytes + infoBytes + masks;
  const qint64 tableEnd = header.colourTableOffset + header.colourCount * (header.current ? 4 : 3);
  header.dataOffset = std::max<qint64>(littleEndian(bytes, 10, 4), tableEnd);
  return header;
}

}  // namespace tavro

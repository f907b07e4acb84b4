#pragma once
// The header of a BMP file as Qt's reader takes it: info headers of 40, 64,
// 108 and 124 bytes hold 32-bit fields, any other size is read as the old
// 16-bit header.

#include <QString>

class QIODevice;

namespace tavro {

inline constexpr int kBmpRunLength8 = 1;
inline constexpr int kBmpRunLength4 = 2;
inline constexpr int kBmpBitFields = 3;

struct BmpHeader {
  qint64 width = 0;
  qint64 height = 0;  // negative: the rows run from the top
  int planes = 1;
  int bitsPerPixel = 0;
  int compression = 0;
  qint64 colourTableOffset = 0;  // from the file's start
  qint64 colourCount = 0;        // entries of the table, four bytes each in a current header
  bool current = false;          // not the old 16-bit header
  qint64 dataOffset = 0;         // from the file's start, where the pixel data begins
};

// Reads the header from the device's position (the file's start). Throws
// tavro::Error(Platform) "Invalid picture: NAME is cut short in its header".
BmpHeader readBmpHeader(QIODevice& device, const QString& name);

}  // namespace tavro

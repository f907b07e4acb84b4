#pragma once
// Packed colours (red + 256 x green + 65536 x blue) to and from Qt colours.

#include <QColor>
#include <QRgb>
#include <string>

#include "platform/errors.h"

namespace tavro {

// Only 0..0xFFFFFF is a colour; anything else is refused, not masked.
inline QColor toQColor(std::int32_t packed) {
  if (packed < 0 || packed > 0xFFFFFF)
    throw Error(ErrorKind::Platform, "Invalid colour value " + std::to_string(packed));
  return QColor(packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
}

inline std::int32_t toPackedColour(QRgb pixel) {
  return qRed(pixel) + 256 * qGreen(pixel) + 65536 * qBlue(pixel);
}

}  // namespace tavro

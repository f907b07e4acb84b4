#pragma once
// Packed colours (red + 256 x green + 65536 x blue) and fill styles as Qt colours and brush styles.

#include <QBrush>
#include <QColor>
#include <QRgb>
#include <optional>
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

// 0 solid, 1 transparent, 2 and 3 horizontal and vertical lines, 4 and 5
// upward and downward diagonals, 6 and 7 crossed; nothing beyond.
inline std::optional<Qt::BrushStyle> brushStyleOf(std::int16_t fillStyle) {
  constexpr Qt::BrushStyle kStyles[] = {Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,   Qt::VerPattern,
                                        Qt::BDiagPattern, Qt::FDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
  if (fillStyle < 0 || fillStyle > 7) return std::nullopt;
  return kStyles[fillStyle];
}

}  // namespace tavro

#pragma once
// The pictures the boxes hold before anything is loaded into them: a plain
// slate grey, neutral for sampling, and unlike any real snapshot.

#include <QColor>
#include <QImage>
#include <QString>

namespace tavro {

// How a box showing either placeholder is described to screen readers.
inline const QString kPlaceholderDescription = QStringLiteral("placeholder picture");

inline QImage plainPlaceholder(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(160, 170, 190));
  return picture;
}

// 100 x 100 pixels: shown by pic0 and pic1 at start, and what a training run
// samples for a face whose file is missing.
inline QImage facePlaceholder() { return plainPlaceholder(100, 100); }
// 160 x 120 pixels, the camera picture size: shown by PIC_DISPLAY at start.
inline QImage displayPlaceholder() { return plainPlaceholder(160, 120); }

}  // namespace tavro

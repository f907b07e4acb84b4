#pragma once
// The pictures the boxes hold before anything is loaded into them.

#include <QImage>
#include <QString>

namespace tavro {

// How a box showing either placeholder is described to screen readers.
inline const QString kPlaceholderDescription = QStringLiteral("placeholder picture");

// 100 x 100 pixels: shown by pic0 and pic1 at start, and what a training run
// samples for a face whose file is missing.
QImage facePlaceholder();
// 160 x 120 pixels, the camera picture size: shown by PIC_DISPLAY at start.
QImage displayPlaceholder();

}  // namespace tavro

#pragma once
// PNG decoding through libpng's own interface, so that a picture costs no
// more than the part of it that is needed: only the rows a corner reaches
// are decoded, the columns beside it dropped as each row comes, and the
// rest of the file is not read. A picture read to its end is checked to
// its end. Every error and every warning libpng gives within what is read
// (a cut, a damaged chunk, data that does not decompress) refuses the
// picture.
//
// The pixels are those Qt's own PNG reader gives, through the same libpng
// and the same choices: the QImage format by colour type, bit depth and
// transparency (Mono, Indexed8, Grayscale8/16, RGB32, ARGB32, RGBX64,
// RGBA64), the colour table, and the colour space from the iCCP, sRGB,
// gAMA and cHRM chunks.
//
// An interlaced picture spreads every row over seven passes, the last one
// holding the odd rows, so the six passes before it are decoded whole, one
// row at a time; only the corner's rows are kept (full width, as each pass
// adds its pixels to them), never the whole picture.

#include <QImage>
#include <QString>

#include "pictures/picture_loader.h"

class QIODevice;

namespace tavro {

// Decodes the PNG that starts at the device's position, the top-left part
// options.corner reaches (the whole picture when the corner is empty).
// Throws tavro::Error(Platform): "Invalid picture: ..." for a damaged or
// cut picture, "Picture too large: ..." beyond the size guard.
QImage decodePng(QIODevice& device, const QString& name, const PictureLoadOptions& options);

}  // namespace tavro

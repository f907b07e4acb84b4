#pragma once
// GIF decoding with giflib. The file is walked to its trailer, since a GIF
// must be complete, but of its first picture only the rows a box's corner
// reaches are decoded when only the corner is needed.
//
// The pixels are those Qt's own GIF reader shows for the first picture: a
// picture the size of the logical screen (of the picture's own extent when
// the screen has none), RGB32, or ARGB32 when a transparent colour
// is given; outside the picture the transparent colour, else the background
// colour; the rows of an interlaced picture placed as Qt places them. Where
// Qt reads memory it never set (the background colour of a picture with a
// colour table of its own), the screen's table gives it.
//
// An interlaced picture holds the odd rows in its last pass, so the three
// passes before it are decoded whole, a row at a time, and only the
// corner's rows kept.

#include <QImage>
#include <QString>

#include "pictures/picture_loader.h"

class QIODevice;

namespace tavro {

// Decodes the GIF that starts at the device's position, the top-left part
// of its first picture that options.corner reaches (all of it when the
// corner is empty). Throws tavro::Error(Platform): "Invalid picture: ..."
// for a cut or damaged file or one without a picture, "Picture too large:
// ..." beyond the size guard.
QImage decodeGif(QIODevice& device, const QString& name, const PictureLoadOptions& options);

}  // namespace tavro

#pragma once
// Run-length coded BMP pictures (RLE8, RLE4). A few hundred kilobytes of
// runs can claim the largest picture accepted, and Qt's reader decodes all
// of it whatever part is needed, leaving the pixels the stream skips (by a
// jump, or a row ended early) as whatever memory held. Here the stream is
// walked to its end (a BMP's top rows come last), only the pixels inside
// the needed corner are kept, and a skipped pixel shows the first colour of
// the table. Otherwise the pixels are those Qt's reader gives: Indexed8 with
// the file's colour table.

#include <QImage>
#include <QString>

#include "pictures/bmp_header.h"
#include "pictures/picture_loader.h"

class QIODevice;

namespace tavro {

// Walks the run-length stream of the BMP that starts at `start`, drawing
// the pixels that fall inside `picture` (the top-left corner of the whole)
// when one is given. Refuses the file ("Invalid picture: NAME ends before
// its run-length pixel data does") unless the stream ends (end of bitmap,
// or the end of its last row) within the device.
void walkRunLengthStream(QIODevice& device, qint64 start, const BmpHeader& header, QImage* picture,
                         const QString& name);

// Decodes the BMP that starts at the device's position if it is run-length
// coded, the top-left part options.corner reaches (all of it when the
// corner is empty); returns a null picture, the device where it was, for
// any other BMP. Throws tavro::Error(Platform): "Invalid picture: ..." for
// a cut file, "Picture too large: ..." beyond the size guard.
QImage decodeRunLengthBmp(QIODevice& device, const QString& name, const PictureLoadOptions& options);

}  // namespace tavro

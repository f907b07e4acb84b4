#pragma once
// Loads a picture file for display in a picture box: BMP, JPEG, PNG, GIF or
// PBM/PGM/PPM, known by content, never by name, each through a decoder of
// its own (pictures/picture_decoder.h); a JPEG is turned upright as its
// EXIF orientation says.

#include <QImage>
#include <QString>

#include "pictures/picture_limits.h"

class QIODevice;

namespace tavro {

// The upright picture's top-left options.corner (all of it when empty), in
// a row format of picture_decoder.h or in grey. Throws tavro::Error(Platform)
// naming the file: the system's reason, "Invalid picture: ..." (no picture,
// or one cut short or damaged) or "Picture too large: ...".
QImage loadPicture(const QString& path, const PictureLoadOptions& options = {});

// The same from an open, readable device (a file opened by its raw name, a
// buffer of bytes); name is what messages call it.
QImage loadPicture(QIODevice& device, const QString& name, const PictureLoadOptions& options = {});

}  // namespace tavro

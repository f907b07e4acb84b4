#pragma once
// Loads a picture file for display in a picture box. The format is decided
// from the file's content (BMP, JPEG, PNG and whatever else Qt reads), never
// from its extension.

#include <QImage>
#include <QString>

class QIODevice;

namespace tavro {

// The largest picture accepted, in pixels per side and in total; a file that
// declares more is refused before anything is decoded.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;

// Throws tavro::Error(Platform, ...) with a message naming the file for a
// missing or unreadable file, content that is no picture, a corrupt picture
// or a picture too large to load.
QImage loadPicture(const QString& path);

// The same from an open, readable device (a file opened by its raw name, a
// buffer of bytes); name is what messages call it.
QImage loadPicture(QIODevice& device, const QString& name);

}  // namespace tavro

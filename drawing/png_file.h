#pragma once
// Pictures as PNG files, written whole or not at all (see file_set.h).

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tavro {

// The PNG bytes of a picture; Error(Platform) when it cannot be encoded.
QByteArray encodePng(const QImage& picture);

// One PNG file, whole or not at all; Error(Platform) naming the file and the
// system's reason when it cannot be written.
void writePngFile(const QImage& picture, const QString& path);

}  // namespace tavro

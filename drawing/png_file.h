#pragma once
// Pictures as PNG files, written whole or not at all (see file_set.h).

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include "files/file_set.h"
#include "platform/errors.h"

namespace tavro {

// The PNG bytes of a picture; Error(Platform) when it cannot be encoded.
inline QByteArray encodePng(const QImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (picture.isNull() || !writer.write(picture))
    throw Error(ErrorKind::Platform, "Cannot encode the picture as PNG: " + writer.errorString().toStdString());
  return bytes;
}

// One PNG file, whole or not at all; Error(Platform) naming the file and the system's reason.
inline void writePngFile(const QImage& picture, const QString& path) { writeFileWhole(path, encodePng(picture)); }

}  // namespace tavro

#include "drawing/png_file.h"

#include <QBuffer>
#include <QImageWriter>

#include "files/file_set.h"
#include "platform/errors.h"

namespace tavro {

QByteArray encodePng(const QImage& picture) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (picture.isNull() || !writer.write(picture))
    throw Error(ErrorKind::Platform, "Cannot encode the picture as PNG: " + writer.errorString().toStdString());
  return bytes;
}

void writePngFile(const QImage& picture, const QString& path) { writeFileWhole(path, encodePng(picture)); }

}  // namespace tavro

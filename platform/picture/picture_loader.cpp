#include "platform/picture/picture_loader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "platform/errors.h"

namespace tavro {

namespace {

// Allocation limit for any one decode, in megabytes: the largest accepted
// picture at four bytes a pixel.
constexpr int kAllocationLimitMegabytes = static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024));

[[noreturn]] void fail(const QString& message) {
  throw Error(ErrorKind::Platform, message.toStdString());
}

void refuseOversizedPicture(const QString& path, const QSize& declared) {
  const bool tooWide = declared.width() > kMaxPictureSide || declared.height() > kMaxPictureSide;
  const bool tooMany = qint64{declared.width()} * declared.height() > kMaxPicturePixels;
  if (tooWide || tooMany)
    fail(QStringLiteral("Picture too large: %1 declares %2 x %3 pixels (at most %4 per side and %5 in all)")
             .arg(path)
             .arg(declared.width())
             .arg(declared.height())
             .arg(kMaxPictureSide)
             .arg(kMaxPicturePixels));
}

}  // namespace

QImage loadPicture(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty() || !info.exists()) fail(QStringLiteral("File not found: %1").arg(path));
  if (!info.isFile()) fail(QStringLiteral("Not a file: %1").arg(path));
  if (!info.isReadable()) fail(QStringLiteral("Permission denied: %1").arg(path));

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
  return loadPicture(file, path);
}

QImage loadPicture(QIODevice& device, const QString& name) {
  QImageReader::setAllocationLimit(kAllocationLimitMegabytes);
  QImageReader reader(&device);
  reader.setDecideFormatFromContent(true);  // the content decides, never the extension
  if (!reader.canRead())
    fail(QStringLiteral("Invalid picture: %1 holds no picture in a known format").arg(name));

  // The header's size is checked before a single pixel is decoded.
  const QSize declared = reader.size();
  if (declared.isValid()) refuseOversizedPicture(name, declared);

  QImage picture = reader.read();
  if (picture.isNull())
    fail(QStringLiteral("Invalid picture: %1 could not be decoded (%2)").arg(name, reader.errorString()));
  refuseOversizedPicture(name, picture.size());
  return picture;
}

}  // namespace tavro

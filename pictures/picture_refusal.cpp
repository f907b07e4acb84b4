#include "pictures/picture_refusal.h"

#include "pictures/picture_loader.h"
#include "platform/errors.h"

namespace tavro {

void refusePicture(const QString& message) { throw Error(ErrorKind::Platform, message.toStdString()); }

void refuseInvalidPicture(const QString& name, const QString& what) {
  refusePicture(QStringLiteral("Invalid picture: %1 %2").arg(name, what));
}

void refuseUnallocatedPicture(const QString& name) {
  refusePicture(QStringLiteral("Picture too large: %1 cannot be held in memory").arg(name));
}

void checkDeclaredSize(const QString& name, qint64 width, qint64 height) {
  const bool tooWide = width > kMaxPictureSide || height > kMaxPictureSide;
  if (tooWide || width * height > kMaxPicturePixels)
    refusePicture(QStringLiteral("Picture too large: %1 declares %2 x %3 pixels (at most %4 per side and %5 in all)")
                      .arg(name)
                      .arg(width)
                      .arg(height)
                      .arg(kMaxPictureSide)
                      .arg(kMaxPicturePixels));
}

}  // namespace tavro

#pragma once
// What the loader and its decoders accept, what a load asks for, and how
// they refuse a file: a tavro::Error(Platform) naming it, saying what is wrong.

#include <QSize>
#include <QString>
#include <algorithm>

#include "platform/errors.h"

namespace tavro {

// The largest picture accepted, per side and in all; a file that declares
// more is refused before anything is decoded.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;
// What the JPEG decoder may hold, and its scans: a progressive picture keeps
// the coefficients of all of it, whatever part is read.
inline constexpr qint64 kMaxJpegDecoderBytes = 96LL * 1024 * 1024;
inline constexpr int kMaxJpegScans = 500;

struct PictureLoadOptions {
  // Only this top-left part of the upright picture is needed (a box shows it
  // clipped from its corner); empty: all of it.
  QSize corner;
  // 8-bit grey (QImage::Format_Grayscale8), weighed as QImage weighs colour
  // in the picture's colour space, without keeping a colour copy.
  bool grey = false;
  // For a whole picture: a JPEG may be decoded at 1/2, 1/4 or 1/8 of its
  // size while its longer side stays at least this (0: at full size).
  int reducedSide = 0;
};

[[noreturn]] inline void refusePicture(const QString& message) { throw Error(ErrorKind::Platform, message.toStdString()); }

// "Invalid picture: NAME " + what.
[[noreturn]] inline void refuseInvalidPicture(const QString& name, const QString& what) {
  refusePicture(QStringLiteral("Invalid picture: %1 %2").arg(name, what));
}

[[noreturn]] inline void refuseUnallocatedPicture(const QString& name) {
  refusePicture(QStringLiteral("Picture too large: %1 cannot be held in memory").arg(name));
}

// Refuses a file that holds less of its pixel data than its header declares.
inline void checkHeld(const QString& name, qint64 held, qint64 declared) {
  if (held < declared)
    refuseInvalidPicture(name, QStringLiteral("holds %1 of the %2 bytes of pixel data its header declares")
                                   .arg(std::max<qint64>(0, held)).arg(declared));
}

inline void checkDeclaredSize(const QString& name, qint64 width, qint64 height) {
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    refusePicture(QStringLiteral("Picture too large: %1 declares %2 x %3 pixels (at most %4 per side and %5 in all)")
                      .arg(name).arg(width).arg(height).arg(kMaxPictureSide).arg(kMaxPicturePixels));
}

}  // namespace tavro

#pragma once
// Loads a picture file for display in a picture box. The format is decided
// from the file's content (BMP, JPEG, PNG, GIF and the PBM/PGM/PPM family),
// never from its extension. The loader itself makes sure the picture was read
// whole: a file cut short or damaged is refused, never turned into pixels.

#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

namespace tavro {

// The largest picture accepted, in pixels per side and in total; a file that
// declares more is refused before anything is decoded.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr qint64 kMaxPicturePixels = 64LL * 1024 * 1024;
// What the JPEG decoder may hold at once. A progressive picture keeps the
// coefficients of the whole picture, whatever part of it is read, so one
// that needs more is refused as too large to decode.
inline constexpr qint64 kMaxJpegDecoderBytes = 96LL * 1024 * 1024;

struct PictureLoadOptions {
  // Only the top-left part of this size is needed (a box that shows the
  // picture clipped from its corner); empty: the whole picture. The result
  // is that part, and a JPEG is decoded no further than it reaches.
  QSize corner;
  // 8-bit grey (QImage::Format_Grayscale8), converted from colour exactly as
  // QImage converts, without keeping a colour copy of a JPEG.
  bool grey = false;
};

// Throws tavro::Error(Platform) with a message naming the file for a missing
// or unreadable file (the system's own reason), content that is no picture
// in a known format, a picture cut short or damaged ("Invalid picture: ...")
// or one too large to load ("Picture too large: ...").
QImage loadPicture(const QString& path, const PictureLoadOptions& options = {});

// The same from an open, readable device (a file opened by its raw name, a
// buffer of bytes); name is what messages call it.
QImage loadPicture(QIODevice& device, const QString& name, const PictureLoadOptions& options = {});

}  // namespace tavro

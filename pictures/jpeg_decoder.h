#pragma once
// JPEG decoding through the JPEG library's own interface, so that the loader
// decides what a damaged file is: every warning the decoder gives (corrupt
// data, a premature end, ...) refuses the picture. The decoder reads the
// file only as far as the rows it needs, holds at most kMaxJpegDecoderBytes
// and gives up after kMaxJpegScans scans.
//
// The pixels are those Qt's own JPEG reader gives: grey pictures as
// Format_Grayscale8, colour ones as Format_RGB32 (CMYK converted as Qt
// does), and the embedded colour profile as the picture's colour space.

#include <QImage>
#include <QString>

#include "pictures/picture_loader.h"

class QIODevice;

namespace tavro {

// Each scan of a progressive picture passes over all of its coefficients.
inline constexpr int kMaxJpegScans = 500;

// Decodes the JPEG that starts at the device's position. Throws
// tavro::Error(Platform): "Invalid picture: ..." for a damaged or
// undecodable file, "Picture too large: ..." beyond the size guard, the
// decoder's memory bound or the scan limit.
QImage decodeJpeg(QIODevice& device, const QString& name, const PictureLoadOptions& options);

}  // namespace tavro

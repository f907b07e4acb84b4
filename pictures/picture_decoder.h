#pragma once
// One decoder per picture format, behind one interface. Opening reads the header (the size; nothing is
// allocated for pixels yet); decode() delivers a region's rows, reading no further than it needs. A file
// cut short, damaged or lying where it is read is refused ("Invalid picture: NAME ...", picture_limits.h).

#include <QColorSpace>
#include <QImage>
#include <QRect>
#include <functional>
#include <memory>

#include "pictures/picture_limits.h"

class QIODevice;

namespace tavro {

class PictureDecoder {
 public:
  // A row of the region: y in the stored picture, the pixels from the
  // region's left column on, region.width() of them, in rowFormat().
  using RowSink = std::function<void(int y, const uchar* pixels)>;

  virtual ~PictureDecoder() = default;

  QSize size() const { return size_; }
  // ARGB32; Grayscale8 for grey pictures; RGBA64 for 16-bit colour
  // samples, which a box blends, and grey weighs, at 16 bits.
  QImage::Format rowFormat() const { return rowFormat_; }
  // The samples' space, which grey is weighed in (none: sRGB).
  const QColorSpace& colourSpace() const { return colourSpace_; }
  // The EXIF orientation, 1 to 8: how the stored picture is turned upright.
  int orientation() const { return orientation_; }

  // Decodes at a smaller scale, where the format offers it for little cost
  // (JPEG: 1/2, 1/4, 1/8), while the longer side stays at least
  // `longerSide`; size() tells the size then. Others stay at full size.
  virtual void reduceTo(int longerSide) { (void)longerSide; }

  // Hands over every row of `region` (within size()) in any order, a row
  // maybe more than once, the last time counting. Called once.
  virtual void decode(const QRect& region, const RowSink& row) = 0;

 protected:
  QSize size_;
  QImage::Format rowFormat_ = QImage::Format_ARGB32;
  QColorSpace colourSpace_;
  int orientation_ = 1;
};

// Each reads the header from the device's position (which must allow
// seeking); `name` is what messages call the file and outlives the decoder.
std::unique_ptr<PictureDecoder> openJpeg(QIODevice& device, const QString& name);
std::unique_ptr<PictureDecoder> openPng(QIODevice& device, const QString& name);
std::unique_ptr<PictureDecoder> openGif(QIODevice& device, const QString& name);
std::unique_ptr<PictureDecoder> openBmp(QIODevice& device, const QString& name);
std::unique_ptr<PictureDecoder> openPnm(QIODevice& device, const QString& name);

}  // namespace tavro

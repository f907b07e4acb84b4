#pragma once
// The picture tavro-edges samples into its grid: one decoded copy, in grey,
// read through the picture-surface interface without being copied again.
//
// The grid's sampling holds the pixels of one cell in 16-bit arithmetic, so
// a cell may cover at most kMaxPixelsPerCell pixels. A picture too large for
// its grid is scaled down first, just enough (same shape, area averaging:
// each new pixel is the mean of the pixels it covers).

#include <QImage>
#include <QSize>
#include <cstdint>

#include "platform/picture_surface.h"

namespace tavro::edges_tool {

inline constexpr std::int64_t kMaxPixelsPerCell = 32767;

// The largest size of the picture's shape whose cells, as the grid samples
// them, cover at most kMaxPixelsPerCell pixels: the picture's own size when
// it fits already.
QSize sizeForGrid(QSize picture, QSize grid);

// The grey picture (Grayscale8) at another size by area averaging, in grey
// throughout, so that even the largest picture is not copied in colour.
QImage scaledByAreaAveraging(const QImage& grey, QSize size);

class GridPicture : public PictureSurface {
 public:
  // Takes a grey picture (QImage::Format_Grayscale8, as the loader gives it
  // when asked for grey) and scales it down when the grid needs it.
  GridPicture(QImage grey, QSize grid);

  // The size the file declared, and the size sampled (smaller when scaled).
  QSize loadedSize() const { return loadedSize_; }
  QSize sampledSize() const { return grey_.size(); }
  const QImage& sampled() const { return grey_; }

  float scaleWidth() const override;
  float scaleHeight() const override;
  // The grey level v as the packed colour v + 256 v + 65536 v. A point past
  // an edge reads the nearest edge pixel, so blocks that overhang the
  // picture stay meaningful.
  std::int32_t point(float x, float y) const override;

 private:
  QImage grey_;
  QSize loadedSize_;
};

}  // namespace tavro::edges_tool

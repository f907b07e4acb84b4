#include "grid_picture.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <opencv2/imgproc.hpp>

#include "imaging/checked_arithmetic.h"
#include "platform/errors.h"

namespace tavro::edges_tool {

namespace {

// A cell's side in pixels as the grid's sampling takes it: the picture's
// side per cell, rounded (ties to even), at least 1.
std::int64_t cellSide(int pictureSide, int cells) {
  const double side = checked::roundHalfEven(static_cast<double>(static_cast<float>(pictureSide)) / cells);
  return std::max<std::int64_t>(1, static_cast<std::int64_t>(side));
}

std::int64_t pixelsPerCell(QSize picture, QSize grid) {
  return cellSide(picture.width(), grid.width()) * cellSide(picture.height(), grid.height());
}

}  // namespace

QImage scaledByAreaAveraging(const QImage& grey, QSize size) {
  QImage scaled(size, QImage::Format_Grayscale8);
  if (scaled.isNull()) throw Error(ErrorKind::Platform, "Out of memory");
  const cv::Mat from(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                     static_cast<std::size_t>(grey.bytesPerLine()));
  cv::Mat to(scaled.height(), scaled.width(), CV_8UC1, scaled.bits(), static_cast<std::size_t>(scaled.bytesPerLine()));
  cv::resize(from, to, to.size(), 0.0, 0.0, cv::INTER_AREA);
  return scaled;
}

QSize sizeForGrid(QSize picture, QSize grid) {
  if (grid.isEmpty()) throw Error(ErrorKind::DivisionByZero);  // as the grid's own sampling
  const std::int64_t perCell = pixelsPerCell(picture, grid);
  if (perCell <= kMaxPixelsPerCell) return picture;
  // From a little above the estimate down, one column at a time, until the
  // rounded cell sizes fit; a picture one pixel wide always fits.
  const double estimate = std::sqrt(static_cast<double>(kMaxPixelsPerCell) / static_cast<double>(perCell));
  int width = std::min(picture.width(), static_cast<int>(std::ceil(picture.width() * estimate)) + grid.width());
  for (;; --width) {
    const long height = std::lround(static_cast<double>(picture.height()) * width / picture.width());
    const QSize size(width, std::max(1, static_cast<int>(height)));
    if (pixelsPerCell(size, grid) <= kMaxPixelsPerCell || width == 1) return size;
  }
}

GridPicture::GridPicture(QImage grey, QSize grid) : grey_(std::move(grey)), loadedSize_(grey_.size()) {
  if (grey_.isNull()) throw Error(ErrorKind::Platform, "The picture is empty");
  // The loader made it grey, once: no second conversion here.
  if (grey_.format() != QImage::Format_Grayscale8) throw Error(ErrorKind::Platform, "The picture is not grey");
  const QSize fitting = sizeForGrid(loadedSize_, grid);
  if (fitting != loadedSize_) grey_ = scaledByAreaAveraging(grey_, fitting);
}

float GridPicture::scaleWidth() const { return static_cast<float>(grey_.width()); }
float GridPicture::scaleHeight() const { return static_cast<float>(grey_.height()); }

std::int32_t GridPicture::point(float x, float y) const {
  if (!std::isfinite(x) || !std::isfinite(y)) throw Error(ErrorKind::Platform, "Point outside the picture");
  const double column = std::clamp<double>(std::floor(x), 0.0, grey_.width() - 1);
  const double row = std::clamp<double>(std::floor(y), 0.0, grey_.height() - 1);
  const std::int32_t level = grey_.constScanLine(static_cast<int>(row))[static_cast<int>(column)];
  return level * 0x010101;
}

}  // namespace tavro::edges_tool

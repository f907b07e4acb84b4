// Drawing into a QImage: aliased, one QPainter per call, so the image is whole between calls.

#include "drawing/image_canvas.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <string>

#include "drawing/packed_colour.h"
#include "drawing/png_file.h"
#include "platform/errors.h"

namespace tavro {

namespace {

// Far beyond any picture here, and well inside what the rasteriser handles without trouble.
constexpr double kMaxCoordinate = 1.0e6;

void checkSize(int width, int height) {
  if (width < 1 || height < 1 || width > ImageCanvas::kMaxSide || height > ImageCanvas::kMaxSide)
    throw Error(ErrorKind::Platform, "Canvas size " + std::to_string(width) + " x " +
                                         std::to_string(height) + " is not supported (1 to " +
                                         std::to_string(ImageCanvas::kMaxSide) + " pixels a side)");
}

QPointF checkedPoint(float x, float y) {
  for (float v : {x, y}) {
    if (!std::isfinite(v) || std::fabs(v) > kMaxCoordinate)
      throw Error(ErrorKind::Platform, "Coordinate " + std::to_string(v) + " is outside the drawable range");
  }
  return QPointF(x, y);
}

Qt::BrushStyle brushStyle(std::int16_t fillStyle) {
  if (const std::optional<Qt::BrushStyle> style = brushStyleOf(fillStyle)) return *style;
  throw Error(ErrorKind::Platform, "Invalid fill style " + std::to_string(fillStyle) + " (0 to 7)");
}

QImage blankImage(int width, int height, std::int32_t background) {
  checkSize(width, height);
  QImage image(width, height, QImage::Format_RGB32);
  if (image.isNull()) throw Error(ErrorKind::Platform, "Out of memory");
  image.fill(toQColor(background));
  return image;
}

QImage pictureCopy(const QImage& picture) {
  if (picture.isNull()) throw Error(ErrorKind::Platform, "The picture is empty");
  checkSize(picture.width(), picture.height());
  QImage image = picture.convertToFormat(QImage::Format_RGB32);
  if (image.isNull()) throw Error(ErrorKind::Platform, "Out of memory");
  return image;
}

}  // namespace

ImageCanvas::ImageCanvas(int pixelWidth, int pixelHeight, std::int32_t background)
    : image_(blankImage(pixelWidth, pixelHeight, background)), background_(background) {}

ImageCanvas::ImageCanvas(const QImage& picture, std::int32_t background)
    : image_(pictureCopy(picture)), background_(background) {
  toQColor(background);  // refuse a bad background now, not at the first cls
}

std::int32_t ImageCanvas::point(float x, float y) const {
  if (!std::isfinite(x) || !std::isfinite(y))
    throw Error(ErrorKind::Platform, "Point outside the picture");
  const double px = std::clamp<double>(std::floor(x), 0.0, image_.width() - 1);
  const double py = std::clamp<double>(std::floor(y), 0.0, image_.height() - 1);
  return toPackedColour(image_.pixel(static_cast<int>(px), static_cast<int>(py)));
}

void ImageCanvas::cls() {
  image_.fill(toQColor(background_));
  current_ = QPointF(0.0, 0.0);
}

void ImageCanvas::setFillStyle(std::int16_t style) {
  brushStyle(style);  // refuses unknown styles
  fillStyle_ = style;
}

void ImageCanvas::setFillColor(std::int32_t colour) {
  toQColor(colour);
  fillColour_ = colour;
}

void ImageCanvas::setDrawWidth(std::int16_t width) {
  if (width < 1) throw Error(ErrorKind::Platform, "Invalid draw width " + std::to_string(width));
  drawWidth_ = width;
}

void ImageCanvas::line(float x1, float y1, float x2, float y2, std::int32_t colour) {
  const QPointF from = checkedPoint(x1, y1);
  const QPointF to = checkedPoint(x2, y2);
  QPainter painter(&image_);
  painter.setPen(QPen(toQColor(colour), drawWidth_));
  if (from == to)
    painter.drawPoint(from);  // a line of no length still marks its pixel
  else
    painter.drawLine(from, to);
  current_ = to;
}

void ImageCanvas::lineTo(float x2, float y2, std::int32_t colour) {
  line(static_cast<float>(current_.x()), static_cast<float>(current_.y()), x2, y2, colour);
}

void ImageCanvas::box(float x1, float y1, float x2, float y2, std::int32_t colour) {
  const QPointF corner1 = checkedPoint(x1, y1);
  const QPointF corner2 = checkedPoint(x2, y2);
  const QRectF rect = QRectF(corner1, corner2).normalized();
  QPainter painter(&image_);
  const Qt::BrushStyle style = brushStyle(fillStyle_);
  if (style != Qt::NoBrush) painter.fillRect(rect, QBrush(toQColor(fillColour_), style));
  painter.setPen(QPen(toQColor(colour), drawWidth_));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect);
  current_ = corner2;
}

void ImageCanvas::savePng(const QString& path) const { writePngFile(image_, path); }

}  // namespace tavro

#include "widgets/picture_box_model.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "drawing/packed_colour.h"
#include "platform/errors.h"

namespace tavro {

namespace {

constexpr int kMaxAreaSide = 16384;
// Pixel coordinates beyond this are no drawing any display could hold.
constexpr double kMaxPixelCoordinate = 1.0e6;

QColor boxColour(std::int32_t colour) {
  if (colour < 0 || colour > rgb(255, 255, 255))
    throw Error(ErrorKind::Platform, "Invalid colour: " + std::to_string(colour));
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

Qt::BrushStyle toBrushStyle(std::int16_t fillStyle) {
  if (const std::optional<Qt::BrushStyle> style = brushStyleOf(fillStyle)) return *style;
  throw Error(ErrorKind::Platform, "Invalid fill style: " + std::to_string(fillStyle));
}

int toPixelCoordinate(double v) {
  const double whole = std::floor(v);
  if (!(std::fabs(whole) <= kMaxPixelCoordinate)) throw Error(ErrorKind::Overflow);
  return static_cast<int>(whole);
}

QPoint toPixel(QPointF p) { return {toPixelCoordinate(p.x()), toPixelCoordinate(p.y())}; }

}  // namespace

PictureBoxModel::PictureBoxModel(QSize drawingArea, float scaleWidth, float scaleHeight)
    : scaleWidth_(scaleWidth), scaleHeight_(scaleHeight) {
  const bool areaValid = drawingArea.width() >= 1 && drawingArea.height() >= 1 &&
                         drawingArea.width() <= kMaxAreaSide && drawingArea.height() <= kMaxAreaSide;
  const bool scaleValid = std::isfinite(scaleWidth) && std::isfinite(scaleHeight) &&
                          scaleWidth > 0.0f && scaleHeight > 0.0f;
  if (!areaValid || !scaleValid)
    throw Error(ErrorKind::Platform, "Invalid picture box: the drawing area and scale must be positive");
  image_ = QImage(drawingArea, QImage::Format_RGB32);
  redrawPicture();
}

PictureBoxModel PictureBoxModel::faceBox() {
  PictureBoxModel box(QSize(kFaceAreaSide, kFaceAreaSide), kFaceScaleWidth, kFaceScaleHeight);
  box.setPicture(facePlaceholder(), kPlaceholderDescription);
  return box;
}

void PictureBoxModel::setPicture(const QImage& picture, const QString& description) {
  // A picture that fits (the loader cuts it to the area) is shared, not copied.
  const QRect shown = QRect(QPoint(0, 0), image_.size()).intersected(picture.rect());
  picture_ = picture.isNull() ? QImage() : shown == picture.rect() ? picture : picture.copy(shown);
  description_ = description;
  redrawPicture();
  changed();
}

void PictureBoxModel::setDescription(const QString& description) {
  description_ = description;
  changed();
}

std::int32_t PictureBoxModel::point(float x, float y) const {
  const QPointF p = toPixels(x, y);
  if (!(p.x() >= 0.0 && p.y() >= 0.0 && p.x() < image_.width() && p.y() < image_.height())) return -1;
  const QRgb pixel = image_.pixel(static_cast<int>(p.x()), static_cast<int>(p.y()));
  return rgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

void PictureBoxModel::cls() {
  redrawPicture();
  current_ = QPointF(0.0, 0.0);
  changed();
}

void PictureBoxModel::setFillStyle(std::int16_t style) {
  toBrushStyle(style);  // refuses an unknown style
  fillStyle_ = style;
}

void PictureBoxModel::setFillColor(std::int32_t colour) {
  boxColour(colour);
  fillColor_ = colour;
}

void PictureBoxModel::setDrawWidth(std::int16_t width) {
  if (width < 1) throw Error(ErrorKind::Platform, "Invalid draw width: " + std::to_string(width));
  drawWidth_ = width;
}

void PictureBoxModel::line(float x1, float y1, float x2, float y2, std::int32_t colour) {
  const QPoint from = toPixel(toPixels(x1, y1));
  const QPoint to = toPixel(toPixels(x2, y2));
  QPainter painter(&image_);
  painter.setPen(QPen(boxColour(colour), drawWidth_));
  painter.drawLine(from, to);
  painter.end();
  current_ = QPointF(x2, y2);
  changed();
}

void PictureBoxModel::lineTo(float x2, float y2, std::int32_t colour) {
  line(static_cast<float>(current_.x()), static_cast<float>(current_.y()), x2, y2, colour);
}

void PictureBoxModel::box(float x1, float y1, float x2, float y2, std::int32_t colour) {
  // Both corner pixels belong to the box.
  const QPoint a = toPixel(toPixels(x1, y1));
  const QPoint b = toPixel(toPixels(x2, y2));
  const QRect corners(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                      QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
  const QColor outline = boxColour(colour);
  QPainter painter(&image_);
  painter.fillRect(corners, QBrush(boxColour(fillColor_), toBrushStyle(fillStyle_)));
  painter.setPen(QPen(outline, drawWidth_));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(corners.adjusted(0, 0, -1, -1));
  painter.end();
  current_ = QPointF(x2, y2);
  changed();
}

QPointF PictureBoxModel::toPixels(float x, float y) const {
  return {std::floor(static_cast<double>(x) * image_.width() / scaleWidth_),
          std::floor(static_cast<double>(y) * image_.height() / scaleHeight_)};
}

void PictureBoxModel::redrawPicture() {
  image_.fill(boxColour(kBackground));
  if (picture_.isNull()) return;
  QPainter painter(&image_);
  painter.drawImage(QPoint(0, 0), picture_);
}

void PictureBoxModel::changed() {
  if (listener_.call) listener_.call();
}

}  // namespace tavro

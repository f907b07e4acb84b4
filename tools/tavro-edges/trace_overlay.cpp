#include "trace_overlay.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "drawing/packed_colour.h"
#include "grid_picture.h"
#include "platform/errors.h"

namespace tavro::edges_tool {

namespace {

const QColor kCellWash(255, 200, 0, 60);
const QColor kSegment(220, 0, 0);
const QColor kConnector(0, 90, 255, 90);

QPointF checkedPoint(float x, float y) {
  if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1.0e6F || std::fabs(y) > 1.0e6F)
    throw Error(ErrorKind::Platform, "Coordinate outside the drawable range");
  return QPointF(x, y);
}

}  // namespace

QImage fadedPicture(const QImage& grey, QSize size) {
  QImage faded = scaledByAreaAveraging(grey, size);
  for (int y = 0; y < faded.height(); ++y) {
    uchar* row = faded.scanLine(y);
    for (int x = 0; x < faded.width(); ++x) row[x] = static_cast<uchar>(128 + row[x] / 2);
  }
  return faded.convertToFormat(QImage::Format_RGB32);
}

TraceOverlayCanvas::TraceOverlayCanvas(const QImage& grey, QSize size)
    : background_(fadedPicture(grey, size)), image_(background_) {}

float TraceOverlayCanvas::scaleWidth() const { return static_cast<float>(image_.width()); }
float TraceOverlayCanvas::scaleHeight() const { return static_cast<float>(image_.height()); }

std::int32_t TraceOverlayCanvas::point(float x, float y) const {
  const QPointF p = checkedPoint(x, y);
  const int px = std::clamp(static_cast<int>(std::floor(p.x())), 0, image_.width() - 1);
  const int py = std::clamp(static_cast<int>(std::floor(p.y())), 0, image_.height() - 1);
  return toPackedColour(image_.pixel(px, py));
}

void TraceOverlayCanvas::cls() {
  image_ = background_;
  current_ = QPointF(0.0, 0.0);
}

// Styles, colours and widths are checked as any canvas checks them, and
// otherwise not used (see above).
void TraceOverlayCanvas::setFillStyle(std::int16_t style) {
  if (style < 0 || style > 7) throw Error(ErrorKind::Platform, "Invalid fill style");
}
void TraceOverlayCanvas::setFillColor(std::int32_t colour) { toQColor(colour); }
void TraceOverlayCanvas::setDrawWidth(std::int16_t width) {
  if (width < 1) throw Error(ErrorKind::Platform, "Invalid draw width");
}

void TraceOverlayCanvas::draw(QPointF from, QPointF to, bool segment) {
  QPainter painter(&image_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(segment ? QPen(kSegment, 2.0, Qt::SolidLine, Qt::RoundCap) : QPen(kConnector, 1.0));
  painter.drawLine(from, to);
  current_ = to;
}

void TraceOverlayCanvas::line(float x1, float y1, float x2, float y2, std::int32_t colour) {
  toQColor(colour);
  draw(checkedPoint(x1, y1), checkedPoint(x2, y2), true);
}

void TraceOverlayCanvas::lineTo(float x2, float y2, std::int32_t colour) {
  toQColor(colour);
  draw(current_, checkedPoint(x2, y2), false);
}

void TraceOverlayCanvas::box(float x1, float y1, float x2, float y2, std::int32_t colour) {
  toQColor(colour);
  const QPointF corner2 = checkedPoint(x2, y2);
  QPainter(&image_).fillRect(QRectF(checkedPoint(x1, y1), corner2).normalized(), kCellWash);
  current_ = corner2;
}

}  // namespace tavro::edges_tool

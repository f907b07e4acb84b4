#pragma once
// A canvas that draws into a QImage, for pictures written to files. Its scale
// is its pixel size, with the origin at the top-left pixel. It can also stand
// in as a picture surface for sampling a loaded picture.

#include <QImage>
#include <QPointF>
#include <QString>

#include "platform/picture_surface.h"

namespace tavro {

class ImageCanvas : public Canvas {
 public:
  static constexpr std::int32_t kWhite = 16777215;
  static constexpr int kMaxSide = 16384;

  // A blank canvas of the given pixel size, cleared to `background`.
  ImageCanvas(int pixelWidth, int pixelHeight, std::int32_t background = kWhite);
  // A canvas holding a copy of `picture`; `cls` clears it to `background`.
  explicit ImageCanvas(const QImage& picture, std::int32_t background = kWhite);

  float scaleWidth() const override { return static_cast<float>(image_.width()); }
  float scaleHeight() const override { return static_cast<float>(image_.height()); }
  // The pixel under (x, y); past an edge the nearest edge pixel, for blocks that overhang the picture.
  std::int32_t point(float x, float y) const override;

  void cls() override;
  void setFillStyle(std::int16_t style) override;  // 0 solid, 1 transparent, 2..7 hatches
  void setFillColor(std::int32_t colour) override;
  void setDrawWidth(std::int16_t width) override;  // 1 or more pixels
  void line(float x1, float y1, float x2, float y2, std::int32_t colour) override;
  void lineTo(float x2, float y2, std::int32_t colour) override;
  void box(float x1, float y1, float x2, float y2, std::int32_t colour) override;

  const QImage& image() const noexcept { return image_; }
  QPointF currentPosition() const noexcept { return current_; }
  std::int16_t fillStyle() const noexcept { return fillStyle_; }
  std::int32_t fillColor() const noexcept { return fillColour_; }
  std::int16_t drawWidth() const noexcept { return drawWidth_; }

  // A PNG file, whole or not at all; Error(Platform) with the system's reason.
  void savePng(const QString& path) const;

 private:
  QImage image_;
  std::int32_t background_;
  std::int16_t fillStyle_ = 1;  // transparent until set, like a fresh picture box
  std::int32_t fillColour_ = 0;
  std::int16_t drawWidth_ = 1;
  QPointF current_{0.0, 0.0};
};

}  // namespace tavro

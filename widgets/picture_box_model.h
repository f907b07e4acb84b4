#pragma once
// What a picture box shows, without the widget: a backing image of the box's
// drawing area, the picture shown in it at its own pixel size from the
// top-left corner (clipped, never scaled), drawings made on top of it, and a
// user scale over the area.
//
// Scale to pixel: a point (x, y) in scale units falls on pixel
//   column floor(x * areaWidth / scaleWidth), row floor(y * areaHeight / scaleHeight),
// so [0, scaleWidth) x [0, scaleHeight) covers the area exactly. A face box
// (101 x 101 pixels, 9.149987 x 10.349987 units) puts the sample points 0..9
// across on columns 0, 11, ..., 99 and 0..10 down on rows 0, 9, ..., 97.

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

#include "platform/picture_surface.h"

namespace tavro {

// The pictures the boxes hold before anything is loaded: a plain slate grey, neutral for sampling and
// unlike any real snapshot, described to screen readers as below.
inline const QString kPlaceholderDescription = QStringLiteral("placeholder picture");

inline QImage plainPlaceholder(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(160, 170, 190));
  return picture;
}

// 100 x 100 pixels: shown by pic0 and pic1 at start, sampled by training for a missing face file.
inline QImage facePlaceholder() { return plainPlaceholder(100, 100); }
// 160 x 120 pixels, the camera picture size: shown by PIC_DISPLAY at start.
inline QImage displayPlaceholder() { return plainPlaceholder(160, 120); }

class PictureBoxModel : public Canvas {
 public:
  // Drawing area of a 1575-twip face box less its two-pixel border, and its user scale.
  static constexpr int kFaceAreaSide = 101;
  static constexpr float kFaceScaleWidth = 9.149987f;
  static constexpr float kFaceScaleHeight = 10.349987f;
  // Colour of the area where no picture lies, RGB(212, 208, 200).
  static constexpr std::int32_t kBackground = rgb(212, 208, 200);

  PictureBoxModel(QSize drawingArea, float scaleWidth, float scaleHeight);

  // A face box (pic0, pic1) showing the face placeholder.
  static PictureBoxModel faceBox();

  // Shows a picture; earlier drawings are dropped. A null picture leaves the
  // area empty (background only). The description says in words what it is
  // ("face12a.jpg"), for screen readers.
  void setPicture(const QImage& picture, const QString& description = {});
  const QString& description() const { return description_; }
  void setDescription(const QString& description);
  // The part of the picture that lies inside the area.
  const QImage& picture() const { return picture_; }
  // The drawing area as it is shown.
  const QImage& image() const { return image_; }
  QSize drawingArea() const { return image_.size(); }

  // Called after every change, so a widget can repaint. The listener
  // belongs to this object: copies start without one, and assigning another
  // model's content keeps it.
  void setChangeListener(std::function<void()> listener) { listener_.call = std::move(listener); }

  float scaleWidth() const override { return scaleWidth_; }
  float scaleHeight() const override { return scaleHeight_; }
  // The packed colour at scale coordinates; -1 outside the area.
  std::int32_t point(float x, float y) const override;

  void cls() override;
  void setFillStyle(std::int16_t style) override;
  void setFillColor(std::int32_t colour) override;
  void setDrawWidth(std::int16_t width) override;
  void line(float x1, float y1, float x2, float y2, std::int32_t colour) override;
  void lineTo(float x2, float y2, std::int32_t colour) override;
  void box(float x1, float y1, float x2, float y2, std::int32_t colour) override;

  std::int16_t fillStyle() const { return fillStyle_; }
  std::int16_t drawWidth() const { return drawWidth_; }
  // The current drawing position in scale units.
  QPointF currentPosition() const { return current_; }

 private:
  // Pixel position of a point in scale units (fractional, not clipped).
  QPointF toPixels(float x, float y) const;
  void redrawPicture();
  void changed();

  struct Listener {
    Listener() = default;
    Listener(const Listener&) {}
    Listener& operator=(const Listener&) { return *this; }
    std::function<void()> call;
  };

  QImage picture_;
  QString description_;
  QImage image_;
  float scaleWidth_;
  float scaleHeight_;
  std::int16_t fillStyle_ = 1;  // transparent until set
  std::int32_t fillColor_ = 0;
  std::int16_t drawWidth_ = 1;
  QPointF current_{0.0, 0.0};
  Listener listener_;
};

}  // namespace tavro

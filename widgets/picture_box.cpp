#include "widgets/picture_box.h"

#include <QPainter>

namespace tavro {

PictureBox::PictureBox(PictureBoxModel model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
  setFixedSize(model_.drawingArea() + QSize(2 * kBorder, 2 * kBorder));
  setFocusPolicy(Qt::TabFocus);
  model_.setChangeListener([this] { update(); });
}

void PictureBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QColor(128, 128, 128));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.setPen(QColor(64, 64, 64));
  painter.drawRect(rect().adjusted(1, 1, -2, -2));
  painter.drawImage(QPoint(kBorder, kBorder), model_.image());
}

}  // namespace tavro

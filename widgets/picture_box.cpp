#include "widgets/picture_box.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace tavro {

namespace {

// Screen readers hear a picture box as a graphic, not as an empty pane.
QAccessibleInterface* accessibleGraphic(const QString& className, QObject* object) {
  if (className != QLatin1String(PictureBox::staticMetaObject.className()) || !object->isWidgetType())
    return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
}

}  // namespace

PictureBox::PictureBox(PictureBoxModel model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
  static const bool factoryInstalled = (QAccessible::installFactory(accessibleGraphic), true);
  (void)factoryInstalled;
  setFixedSize(model_.drawingArea() + QSize(2 * kBorder, 2 * kBorder));
  setFocusPolicy(Qt::TabFocus);
  setAccessibleDescription(model_.description());
  model_.setChangeListener([this] {
    update();
    if (accessibleDescription() != model_.description()) setAccessibleDescription(model_.description());
  });
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

#include "app/control_look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

namespace tavro {

namespace {

constexpr int kLabelTextTop = 3;  // pixels

}  // namespace

QRect fromTwips(int left, int top, int width, int height) {
  return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel};
}

QFont fontOf(const QString& family, QFont::StyleHint hint, double points, bool bold) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(static_cast<int>(std::lround(points * 96.0 / 72.0)));
  font.setBold(bold);
  return font;
}

QFont courierNewBold(double points) {
  return fontOf(QStringLiteral("Courier New"), QFont::TypeWriter, points, true);
}

QFont sansSerif(double points) {
  return fontOf(QStringLiteral("MS Sans Serif"), QFont::SansSerif, points, false);
}

void paintButtonFace(QPushButton& button, QColor face) {
  button.setStyleSheet(QStringLiteral(
      "QPushButton { background-color: %1; color: black; border: 1px solid;"
      " border-color: white #404040 #404040 white; }"
      "QPushButton:pressed { border-color: #404040 white white #404040; }"
      "QPushButton:focus { border-style: dotted; }"
      "QPushButton:disabled { color: #808080; }")
                           .arg(face.name()));
}

void paintTextBox(QLineEdit& box) {
  box.setStyleSheet(QStringLiteral(
      "QLineEdit { background: white; color: black; border: 1px solid rgb(128, 128, 128); padding: 0; }"));
}

void paintLabelText(QLabel& label, QColor text, Qt::Alignment alignment) {
  label.setAutoFillBackground(false);
  label.setAttribute(Qt::WA_TranslucentBackground);
  label.setStyleSheet(QStringLiteral("QLabel { color: %1; background: transparent; }").arg(text.name()));
  label.setAlignment(alignment | Qt::AlignTop);
  // Captions sit a little below the label's top edge, as labels draw them.
  label.setContentsMargins(0, kLabelTextTop, 0, 0);
}

}  // namespace tavro

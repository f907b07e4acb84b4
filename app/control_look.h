#pragma once
// How the window's controls look: places given in twips (15 to a pixel),
// button faces, label colours and the fonts, with fallbacks where the named
// fonts are missing.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavro {

inline constexpr int kTwipsPerPixel = 15;

QRect fromTwips(int left, int top, int width, int height);

// A font by name and point size at 96 dots per inch, whatever the screen says,
// so that captions fit the fixed layout. A missing family falls back by the hint.
QFont fontOf(const QString& family, QFont::StyleHint hint, double points, bool bold);
QFont courierNewBold(double points);  // monospace bold
QFont sansSerif(double points);       // the window's default face

// A push button drawn flat in its face colour, with a thin raised edge.
void paintButtonFace(QPushButton& button, QColor face);
// A white one-line text box in a thin grey frame.
void paintTextBox(QLineEdit& box);
// A label with a transparent background.
void paintLabelText(QLabel& label, QColor text, Qt::Alignment alignment);

}  // namespace tavro

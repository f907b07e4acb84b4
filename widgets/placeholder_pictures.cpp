#include "widgets/placeholder_pictures.h"

#include <QColor>

namespace tavro {

namespace {

// A plain slate grey: neutral for sampling, and unlike any real snapshot.
const QColor kPlaceholderColour(160, 170, 190);

QImage plainPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(kPlaceholderColour);
  return picture;
}

}  // namespace

QImage facePlaceholder() { return plainPicture(100, 100); }

QImage displayPlaceholder() { return plainPicture(160, 120); }

}  // namespace tavro

#pragma once
// Whether a BMP file holds the whole picture it declares. Qt's reader turns
// a cut file into a picture without a word (rows never read stay as they
// were), so the loader checks the file before it decodes it.
// The check reads from the device's position and returns it there; the
// device must allow seeking. A file that is not whole is refused with
// "Invalid picture: NAME ..." (tavro::Error(Platform)).

#include <QString>

class QIODevice;

namespace tavro {

// The pixel data the header declares lies in the file: every row of an
// uncompressed picture, a run-length stream up to its end.
void checkBmpIsWhole(QIODevice& device, const QString& name);

}  // namespace tavro

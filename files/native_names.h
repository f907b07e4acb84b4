#pragma once
// File names as the system has them: bytes, which need not be valid UTF-8.
// Qt decodes such bytes lossily (each becomes U+FFFD), so a file named that
// way could be neither opened nor written again. The tools therefore carry
// names in QStrings where every byte that is not valid UTF-8 is kept as a
// lone surrogate U+DC80..U+DCFF, and turn those back into the very bytes
// wherever they ask the system. Valid UTF-8 decodes as usual, so for every
// other name this is the plain QString.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavro {

// The arguments of main, decoded as above.
QStringList nativeArguments(int argc, char** argv);

QString fromNativeName(const QByteArray& bytes);
QByteArray toNativeName(const QString& name);

// The name for messages and JSON: each raw byte shown as U+FFFD.
QString displayName(const QString& name);

// What files made from a picture are named after: its file name less the
// last extension; a name whose only dot leads it (".png") is kept whole.
QString fileStem(const QString& path);

}  // namespace tavro

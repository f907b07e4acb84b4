#pragma once
// File names as the system has them: bytes, not always valid UTF-8, which Qt
// would decode lossily (U+FFFD), so that the file could not be named again.
// They are carried in QStrings where each byte that is not valid UTF-8 is a
// lone surrogate U+DC80..U+DCFF, turned back into that byte for the system.

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

// What files made from a picture are named after: its file name less the last extension (".png" kept whole).
QString fileStem(const QString& path);

}  // namespace tavro

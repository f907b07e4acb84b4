#pragma once
// Looking picture files up and opening them by name. When the system cannot
// do it, the message gives the system's own reason ("Permission denied: NAME",
// "File name too long: NAME"); only a name that leads to nothing is
// "File not found: NAME". Names may hold raw bytes (see
// files/native_names.h): they reach the system as those bytes.

#include <QFile>
#include <QString>

namespace tavro {

// Whether an ordinary file goes by this name. False when nothing (or
// something other than an ordinary file) does; throws Error(Platform) with
// the system's reason when the name cannot be looked up at all.
bool ordinaryFileExists(const QString& path);

// Opens an ordinary file for reading into `file` (which must be closed).
// Throws Error(Platform): "File not found: PATH", "Not a file: PATH" or the
// system's reason.
void openPictureFile(QFile& file, const QString& path);

}  // namespace tavro

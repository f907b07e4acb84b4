#pragma once
// Looking picture files up and opening them by name, raw bytes and all (files/native_names.h). A failure
// gives the system's own reason ("Permission denied: NAME"); only a name that leads to nothing is
// "File not found: NAME".

#include <QFile>
#include <QString>

namespace tavro {

// Whether an ordinary file goes by this name; Error(Platform) with the system's reason when the name
// cannot be looked up at all.
bool ordinaryFileExists(const QString& path);

// Opens an ordinary file for reading into `file` (which must be closed); Error(Platform): "File not
// found: PATH", "Not a file: PATH" or the system's reason.
void openPictureFile(QFile& file, const QString& path);

}  // namespace tavro

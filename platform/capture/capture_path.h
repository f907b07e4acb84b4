#pragma once
// File names as the window passes them: typed with '\' or '/' separators,
// used exactly as typed otherwise ("\TavroTEST.BMP" is /TavroTEST.BMP).

#include <QString>

namespace tavro {

// The typed name with every '\' turned into '/'.
QString localPath(const QString& typed);

// Throws Error(Platform) naming the file when path is empty, or names
// something that exists but is no ordinary file (a folder, a device): such
// a thing is never replaced. what: "picture file", "recording file".
void requireOrdinaryFileTarget(const QString& path, const QString& what);

}  // namespace tavro

#pragma once
// Paths as the user types them into the window's text box. '\' separates
// folders as '/' does. A path that begins with a single '\' starts at the
// top of the user's own tree, the home folder: the default "\TavroTEST.BMP"
// is ~/TavroTEST.BMP. A path that begins with '/' is absolute; any other is
// relative to the current folder.

#include <QDir>
#include <QString>

namespace tavro {

// The file a typed path names. The window's commands apply it once, to the
// text box's text; everything below them takes paths as the system does.
QString typedPath(const QString& typed, const QString& home = QDir::homePath());

}  // namespace tavro

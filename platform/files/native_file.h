#pragma once
// Folders looked at by the bytes of their names (see native_names.h).

#include <QString>

namespace tavro {

// Whether the name, links followed, is a folder.
bool isFolder(const QString& path);

// The system's reason when the folder's entries cannot be listed; empty
// when they can.
QString folderUnreadableReason(const QString& path);

}  // namespace tavro

#pragma once
// Reading files by the bytes of their names (see native_names.h).

#include <QFile>
#include <QString>
#include <memory>

namespace tavro {

// Whether the name, links followed, is an ordinary file / a folder.
bool isOrdinaryFile(const QString& path);
bool isFolder(const QString& path);

// The file opened for reading. Throws Error(Platform) "Cannot read NAME:
// reason" with the system's reason when it cannot be opened.
std::unique_ptr<QFile> openForReading(const QString& path);

}  // namespace tavro

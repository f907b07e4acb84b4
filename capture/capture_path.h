#pragma once
// The files the capture control writes: what may be replaced.

#include <QString>

namespace tavro {

// Throws Error(Platform) naming the file when path is empty, or names
// something that exists but is no ordinary file (a folder, a device): such
// a thing is never replaced. what: "picture file", "recording file".
void requireOrdinaryFileTarget(const QString& path, const QString& what);

}  // namespace tavro

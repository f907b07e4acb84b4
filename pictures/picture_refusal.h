#pragma once
// How the loader's parts refuse a file: a tavro::Error(Platform) whose
// message names the file and says what is wrong with it.

#include <QString>

namespace tavro {

[[noreturn]] void refusePicture(const QString& message);
// "Invalid picture: NAME " + what.
[[noreturn]] void refuseInvalidPicture(const QString& name, const QString& what);
// "Picture too large: NAME cannot be held in memory", when an allocation fails.
[[noreturn]] void refuseUnallocatedPicture(const QString& name);
// Refuses a declared size beyond the loader's limits ("Picture too large: ...").
void checkDeclaredSize(const QString& name, qint64 width, qint64 height);

}  // namespace tavro

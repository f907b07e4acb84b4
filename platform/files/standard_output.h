#pragma once
// Standard output written in full and checked: a tool's answers that cannot
// be written (a full disk, a closed pipe end, a file-size limit) are a
// failure, never a silent loss.

#include <QByteArray>

namespace tavro {

// Writes all bytes to standard output, unbuffered. Throws Error(Platform)
// with the system's reason when they cannot all be written.
void writeStandardOutput(const QByteArray& bytes);

}  // namespace tavro

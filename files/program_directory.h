#pragma once
// The directory that holds the program, where the face files live. Callers
// take it as a plain value so that tests and tools can point elsewhere.

#include <QString>

namespace tavro {

// The directory of the running executable, without a trailing separator.
// Needs a QCoreApplication.
QString executableDirectory();

}  // namespace tavro

#include "platform/picture/program_directory.h"

#include <QCoreApplication>

#include "platform/errors.h"

namespace tavro {

QString executableDirectory() {
  if (QCoreApplication::instance() == nullptr)
    throw Error(ErrorKind::ObjectNotSet, "The program directory is unknown before the application starts");
  return QCoreApplication::applicationDirPath();
}

}  // namespace tavro

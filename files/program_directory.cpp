#include "files/program_directory.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>

#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

QString executableDirectory() {
  if (QCoreApplication::instance() == nullptr)
    throw Error(ErrorKind::ObjectNotSet, "The program directory is unknown before the application starts");
  // The system's own link keeps the bytes of the folder's name; Qt's
  // application folder would not.
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return QCoreApplication::applicationDirPath();
  return fromNativeName(QByteArray::fromStdString(executable.parent_path().native()));
}

}  // namespace tavro

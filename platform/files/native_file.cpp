#include "platform/files/native_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/errors.h"
#include "platform/files/native_names.h"

namespace tavro {

namespace {

bool hasMode(const QString& path, mode_t kind) {
  struct stat info {};
  return ::stat(toNativeName(path).constData(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

}  // namespace

bool isOrdinaryFile(const QString& path) { return hasMode(path, S_IFREG); }
bool isFolder(const QString& path) { return hasMode(path, S_IFDIR); }

std::unique_ptr<QFile> openForReading(const QString& path) {
  const int fd = ::open(toNativeName(path).constData(), O_RDONLY | O_CLOEXEC);
  auto file = std::make_unique<QFile>();
  if (fd < 0 || !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    const int error = fd < 0 ? errno : EIO;
    if (fd >= 0) ::close(fd);
    throw Error(ErrorKind::Platform, QStringLiteral("Cannot read %1: %2")
                                         .arg(displayName(path), QString::fromLocal8Bit(std::strerror(error)))
                                         .toStdString());
  }
  return file;
}

}  // namespace tavro

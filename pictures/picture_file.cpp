#include "pictures/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "files/native_names.h"
#include "pictures/picture_limits.h"

namespace tavro {

namespace {

// A name holding a NUL character cannot reach the system at all.
bool namesNothing(const QString& path) { return path.isEmpty() || path.contains(QChar(0)); }

bool leadsToNothing(int error) { return error == ENOENT || error == ENOTDIR; }

[[noreturn]] void refuseName(int error, const QString& path) {
  const QString shown = displayName(path);
  if (leadsToNothing(error)) refusePicture(QStringLiteral("File not found: %1").arg(shown));
  refusePicture(QStringLiteral("%1: %2").arg(qt_error_string(error), shown));
}

}  // namespace

bool ordinaryFileExists(const QString& path) {
  if (namesNothing(path)) return false;
  const QByteArray name = toNativeName(path);
  struct stat status {};
  if (::stat(name.constData(), &status) == 0) return S_ISREG(status.st_mode);
  const int error = errno;
  if (leadsToNothing(error)) return false;
  refuseName(error, path);
}

void openPictureFile(QFile& file, const QString& path) {
  if (namesNothing(path)) refuseName(ENOENT, path);
  // Not blocking: a FIFO under a picture's name must not hang the caller before it is found out.
  const QByteArray name = toNativeName(path);
  const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const int error = errno;
  if (descriptor < 0) refuseName(error, path);
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(descriptor);
    refusePicture(QStringLiteral("Not a file: %1").arg(displayName(path)));
  }
  if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(descriptor);
    refusePicture(QStringLiteral("Cannot read %1: %2").arg(displayName(path), file.errorString()));
  }
}

}  // namespace tavro

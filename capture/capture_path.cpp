#include "capture/capture_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/entries.h"
#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

namespace {

Error targetError(const QString& path, const QString& what, const QString& reason) {
  return Error(ErrorKind::Platform,
               ("Cannot write the " + what + " " + displayName(path) + ": " + reason).toStdString());
}

}  // namespace

void requireOrdinaryFileTarget(const QString& path, const QString& what) {
  if (path.isEmpty()) throw Error(ErrorKind::Platform, ("No file name given for the " + what).toStdString());
  const EntryKind kind = entryKind(path);
  if (kind != EntryKind::Nothing && kind != EntryKind::File)
    throw targetError(path, what, "it is not an ordinary file");
}

QString recordingFileName(const QString& path) {
  return path.endsWith(QStringLiteral(".avi"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".avi");
}

void requireWritableTarget(const QString& path, const QString& what) {
  const QByteArray native = toNativeName(path);
  struct stat info {};
  if (::stat(native.constData(), &info) != 0) return;
  if ((info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
    throw targetError(path, what, "it is read-only");
}

std::optional<FileIdentity> identityOf(const QString& path) {
  const QByteArray native = toNativeName(absolutePath(path));
  const qsizetype slash = native.lastIndexOf('/');
  struct stat folder {};
  if (::stat(slash == 0 ? "/" : native.left(slash).constData(), &folder) != 0) return std::nullopt;
  return FileIdentity{folder.st_dev, folder.st_ino, native.mid(slash + 1)};
}

}  // namespace tavro

#include "files/entries.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

EntryKind entryKind(const QString& path) {
  struct stat info {};
  if (::stat(toNativeName(path).constData(), &info) != 0) return EntryKind::Nothing;
  if (S_ISREG(info.st_mode)) return EntryKind::File;
  return S_ISDIR(info.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

QString folderUnreadableReason(const QString& path) {
  DIR* entries = ::opendir(toNativeName(path).constData());
  if (entries == nullptr) return QString::fromLocal8Bit(std::strerror(errno));
  ::closedir(entries);
  return {};
}

void makeFolder(const QString& path, const QString& what) {
  const auto fail = [&](int error) {
    throw Error(ErrorKind::Platform, QStringLiteral("Cannot create the %1 %2: %3")
                                         .arg(what, displayName(path), QString::fromLocal8Bit(std::strerror(error)))
                                         .toStdString());
  };
  const QByteArray native = toNativeName(path);
  if (native.isEmpty()) fail(ENOENT);
  // Each leading part in turn; one that exists already must be a folder.
  for (qsizetype end = 1; end <= native.size(); ++end) {
    if (end < native.size() && native[end] != '/') continue;
    const QByteArray part = native.left(end);
    if (part.endsWith('/') || ::mkdir(part.constData(), 0777) == 0) continue;
    const int error = errno;
    struct stat info {};
    if (::stat(part.constData(), &info) == 0 && S_ISDIR(info.st_mode)) continue;
    fail(error == EEXIST ? ENOTDIR : error);
  }
}

QString absolutePath(const QString& path) {
  if (QDir::isAbsolutePath(path)) return QDir::cleanPath(path);
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  const QString base = error ? QDir::currentPath() : fromNativeName(QByteArray::fromStdString(current.native()));
  return QDir::cleanPath(base + u'/' + path);
}

QString executableDirectory() {
  if (QCoreApplication::instance() == nullptr)
    throw Error(ErrorKind::ObjectNotSet, "The program directory is unknown before the application starts");
  // The system's own link keeps the bytes of the folder's name; Qt's application folder would not.
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return QCoreApplication::applicationDirPath();
  return fromNativeName(QByteArray::fromStdString(executable.parent_path().native()));
}

void provideRuntimeFolder() {
  if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) return;
  const uid_t user = ::geteuid();
  const passwd* account = ::getpwuid(user);  // before any thread: the program has just started
  const QByteArray folder = QFile::encodeName(QDir::tempPath()) + "/runtime-" +
                            (account != nullptr ? QByteArray(account->pw_name) : QByteArray::number(user));
  if (::mkdir(folder.constData(), 0700) == 0) ::chmod(folder.constData(), 0700);  // whatever the umask
  struct stat info {};
  if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != user ||
      (info.st_mode & 07777) != 0700)
    return;
  qputenv("XDG_RUNTIME_DIR", folder);
}

}  // namespace tavro

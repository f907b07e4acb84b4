#include "files/runtime_folder.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

namespace tavro {

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

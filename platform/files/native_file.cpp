#include "platform/files/native_file.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/files/native_names.h"

namespace tavro {

bool isFolder(const QString& path) {
  struct stat info {};
  return ::stat(toNativeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString folderUnreadableReason(const QString& path) {
  DIR* entries = ::opendir(toNativeName(path).constData());
  if (entries == nullptr) return QString::fromLocal8Bit(std::strerror(errno));
  ::closedir(entries);
  return {};
}

}  // namespace tavro

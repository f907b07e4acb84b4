#include "faces_folder.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/files/native_names.h"

namespace tavro::faces_tool {

FacesFolder::FacesFolder(QString folder) : given_(std::move(folder)), reachable_(given_) {
  if (!holdsRawBytes(given_)) return;
  fd_ = ::open(toNativeName(given_).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd_ >= 0) reachable_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

FacesFolder::~FacesFolder() {
  if (fd_ >= 0) ::close(fd_);
}

QString FacesFolder::asGiven(const QString& text) const {
  if (reachable_ == given_) return text;
  QString result = text;
  return result.replace(reachable_, given_);
}

QString FacesFolder::forDisplay(const QString& text) const { return displayName(asGiven(text)); }

QString FacesFolder::unreadableReason() const {
  DIR* entries = ::opendir(toNativeName(given_).constData());
  if (entries == nullptr) return QString::fromLocal8Bit(std::strerror(errno));
  ::closedir(entries);
  return {};
}

}  // namespace tavro::faces_tool

#include "files/file_set.h"

#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/interrupt_cleanup.h"
#include "files/native_names.h"
#include "platform/errors.h"
#include "platform/standard_output.h"

namespace tavro {

namespace {

// lstat: whether the name is taken, and by what.
bool entryAt(int folderFd, const QByteArray& name, struct stat& info) {
  return ::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// A fresh hidden name for a temporary file or a kept entry.
QByteArray hiddenName() {
  return ".tavro-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
}

}  // namespace

FileSet::FileSet(const QString& folder) : folder_(folder) {
  folderFd_ = ::open(toNativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd_ < 0) {
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    throw Error(ErrorKind::Platform, ("Cannot open the folder " + displayName(folder) + ": " + reason).toStdString());
  }
}

FileSet::~FileSet() {
  removeLeftovers();
  if (folderFd_ >= 0) ::close(folderFd_);
}

QStringList FileSet::paths() const {
  QStringList paths;
  const QString prefix = folder_.endsWith(u'/') ? folder_ : folder_ + u'/';
  for (const Entry& entry : entries_) paths << prefix + fromNativeName(entry.name);
  return paths;
}

void FileSet::fail(const QByteArray& name, int error) const {
  failBecause(name, QString::fromLocal8Bit(std::strerror(error)));
}

void FileSet::failBecause(const QByteArray& name, const QString& reason) const {
  const QString prefix = folder_.endsWith(u'/') ? folder_ : folder_ + u'/';
  const QString path = displayName(prefix + fromNativeName(name));
  throw Error(ErrorKind::Platform, QStringLiteral("Cannot write %1: %2").arg(path, reason).toStdString());
}

// A temporary file under a new hidden name, created exclusively and
// registered for removal on an interrupt before a signal can come between.
QByteArray FileSet::createTemporary(int& fd, mode_t mode, std::optional<InterruptibleTemporary>& cover) const {
  const InterruptsDeferred deferred;
  for (;;) {
    const QByteArray name = hiddenName();
    fd = ::openat(folderFd_, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) cover.emplace(folderFd_, name);
    if (fd >= 0 || errno != EEXIST) return name;
  }
}

// The file under the name, when it is an ordinary file that will be
// replaced; refused, as an editor refuses, when the user may not write it.
// A link under the name is replaced as it is, whatever it leads to.
std::optional<struct stat> FileSet::replacedFile(const QByteArray& name) const {
  struct stat info {};
  if (!entryAt(folderFd_, name, info) || !S_ISREG(info.st_mode)) return std::nullopt;
  // Root may write anything; a file that grants no one write access is still read-only.
  if ((info.st_mode & 0222) == 0) failBecause(name, QStringLiteral("the file is read-only"));
  if (::faccessat(folderFd_, name.constData(), W_OK, AT_EACCESS) != 0) fail(name, errno);
  return info;
}

void FileSet::add(const QString& fileName, const QByteArray& content) {
  Entry entry;
  entry.name = toNativeName(fileName);
  if (entry.name.isEmpty() || entry.name.contains('/') || entry.name == "." || entry.name == "..")
    fail(entry.name, EINVAL);
  for (const Entry& other : entries_)
    if (other.name == entry.name) fail(entry.name, EEXIST);

  // A replaced file keeps its owner where the system allows, and its
  // permissions; a new one gets 0666 less the umask. Until then the
  // content is for the owner only.
  const std::optional<struct stat> replaced = replacedFile(entry.name);
  int fd = -1;
  entry.temporary = createTemporary(fd, replaced ? 0600 : 0666, entry.temporaryCover);
  if (fd < 0) fail(entry.name, errno);
  // Another user's file becomes the writer's, as when it is saved anew.
  if (replaced && ::fchown(fd, replaced->st_uid, replaced->st_gid) != 0) {}
  int error = writeAll(fd, std::string_view(content.constData(), std::size_t(content.size())));
  if (error == 0 && ((replaced && ::fchmod(fd, replaced->st_mode & 0777) != 0) || ::fsync(fd) != 0)) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) {
    ::unlinkat(folderFd_, entry.temporary.constData(), 0);
    fail(entry.name, error);
  }
  entries_.push_back(std::move(entry));
}

// Keeps the name's old entry reachable under a hidden name: a hard link to
// it (a link stays a link) when the file system allows, else the entry
// itself moved aside.
void FileSet::keepOldEntry(Entry& entry) {
  struct stat info {};
  if (!entryAt(folderFd_, entry.name, info)) {
    if (errno != ENOENT) fail(entry.name, errno);
    return;
  }
  if (S_ISDIR(info.st_mode)) fail(entry.name, EISDIR);
  QByteArray backup;
  int linked = 0;
  do linked = ::linkat(folderFd_, entry.name.constData(), folderFd_, (backup = hiddenName()).constData(), 0);
  while (linked != 0 && errno == EEXIST);
  if (linked != 0 && ::renameat(folderFd_, entry.name.constData(), folderFd_, backup.constData()) != 0)
    fail(entry.name, errno);
  entry.backupCover.emplace(folderFd_, backup);
  entry.backup = std::move(backup);
}

void FileSet::commit() {
  // An interrupt waits until every name holds its new file or its old entry.
  const InterruptsDeferred deferred;
  // A folder under one of the names fails the set before anything moves.
  for (const Entry& entry : entries_) {
    struct stat info {};
    if (entryAt(folderFd_, entry.name, info) && S_ISDIR(info.st_mode)) fail(entry.name, EISDIR);
  }
  try {
    for (Entry& entry : entries_) {
      keepOldEntry(entry);
      if (::renameat(folderFd_, entry.temporary.constData(), folderFd_, entry.name.constData()) != 0)
        fail(entry.name, errno);
      entry.placed = true;
      entry.temporary.clear();
      entry.temporaryCover.reset();
    }
  } catch (...) {
    rollBack();
    throw;
  }
  for (Entry& entry : entries_) {
    if (!entry.backup.isEmpty()) ::unlinkat(folderFd_, entry.backup.constData(), 0);
    entry.backup.clear();
  }
  entries_.clear();
}

// Every name back as it was: the old entry where there was one, no entry
// where there was none.
void FileSet::rollBack() {
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
    if (!entry->backup.isEmpty()) {
      // When the name still holds the old entry, the rename does nothing
      // and the extra link goes with the unlink.
      if (::renameat(folderFd_, entry->backup.constData(), folderFd_, entry->name.constData()) == 0) {
        ::unlinkat(folderFd_, entry->backup.constData(), 0);
        entry->backup.clear();
        entry->backupCover.reset();
      }
    } else if (entry->placed) {
      ::unlinkat(folderFd_, entry->name.constData(), 0);
    }
    entry->placed = false;
  }
}

void FileSet::removeLeftovers() {
  for (const Entry& entry : entries_) {
    if (!entry.temporary.isEmpty()) ::unlinkat(folderFd_, entry.temporary.constData(), 0);
    if (!entry.backup.isEmpty()) ::unlinkat(folderFd_, entry.backup.constData(), 0);
  }
  entries_.clear();
}

void writeFileWhole(const QString& path, const QByteArray& content) {
  const qsizetype slash = path.lastIndexOf(u'/');
  FileSet file(slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash));
  file.add(path.mid(slash + 1), content);
  file.commit();
}

}  // namespace tavro

#include "files/file_set.h"

#include <QRandomGenerator>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "files/entries.h"
#include "files/native_names.h"
#include "platform/errors.h"
#include "platform/standard_output.h"

namespace tavro {

namespace {

enum SlotState : int { kFree, kFilling, kReady };

struct Slot {
  std::atomic<int> state{kFree};
  int folderFd = -1;
  char name[InterruptibleTemporary::kMaxName] = {};
};

// A FileSet holds two names per file at most (temporary, old entry): far more than the tools write at once.
Slot table[64];
std::atomic<int> deferring{0};
std::atomic<int> pendingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

[[noreturn]] void removeAllAndExit(int signal) {
  for (Slot& slot : table)
    if (slot.state.load() == kReady) ::unlinkat(slot.folderFd, slot.name, 0);
  ::_exit(128 + signal);
}

extern "C" void onInterrupt(int signal) {
  if (deferring.load() > 0) {
    pendingSignal.store(signal);
    return;
  }
  removeAllAndExit(signal);
}

using Lookup = int (*)(const char*, struct stat*);

// The folder part and the last part of a path; none for one that ends in "/", "." or "..".
std::pair<QByteArray, QByteArray> split(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
  QByteArray last = path.mid(slash + 1);
  if (last == "." || last == "..") last.clear();
  return {folder, last};
}

// lstat: whether the name is taken, and by what.
bool entryAt(int folderFd, const QByteArray& name, struct stat& info) {
  return ::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// A fresh hidden name for a temporary file or a kept entry.
QByteArray hiddenName() { return ".tavro-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36); }

}  // namespace

void removeTemporariesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

InterruptibleTemporary::InterruptibleTemporary(int folderFd, const QByteArray& name) {
  if (name.size() >= kMaxName) return;
  for (int i = 0; i < int(std::size(table)); ++i) {
    int expected = kFree;
    if (!table[i].state.compare_exchange_strong(expected, kFilling)) continue;
    table[i].folderFd = folderFd;
    std::memcpy(table[i].name, name.constData(), std::size_t(name.size()) + 1);
    table[i].state.store(kReady);
    slot_ = i;
    return;
  }
}

InterruptibleTemporary::~InterruptibleTemporary() {
  if (slot_ >= 0) table[slot_].state.store(kFree);
}

InterruptsDeferred::InterruptsDeferred() { deferring.fetch_add(1); }

InterruptsDeferred::~InterruptsDeferred() {
  if (deferring.fetch_sub(1) == 1 && pendingSignal.load() != 0) removeAllAndExit(pendingSignal.load());
}

FileSet::FileSet(const QString& folder) : folder_(folder) {
  folderFd_ = ::open(toNativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd_ < 0) {
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    throw Error(ErrorKind::Platform, ("Cannot open the folder " + displayName(folder) + ": " + reason).toStdString());
  }
}

// Whatever was not put in place goes.
FileSet::~FileSet() {
  for (const Entry& entry : entries_) {
    if (!entry.temporary.isEmpty()) ::unlinkat(folderFd_, entry.temporary.constData(), 0);
    if (!entry.backup.isEmpty()) ::unlinkat(folderFd_, entry.backup.constData(), 0);
  }
  entries_.clear();  // their covers go before the folder does
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

// A temporary file under a new hidden name, registered for removal on an interrupt before one can come.
QByteArray FileSet::createTemporary(int& fd, mode_t mode, std::optional<InterruptibleTemporary>& cover) const {
  const InterruptsDeferred deferred;
  for (;;) {
    const QByteArray name = hiddenName();
    fd = ::openat(folderFd_, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) cover.emplace(folderFd_, name);
    if (fd >= 0 || errno != EEXIST) return name;
  }
}

// The ordinary file the name holds, refused when the user may not write it; a link is replaced as it is.
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

  // Until its owner and mode are copied, a replaced file's content is for the owner only.
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

// Keeps the name's old entry under a hidden name: a hard link to it (a link stays a link) when the file
// system allows, else the entry itself moved aside.
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

// Every name back as it was: the old entry where there was one, no entry where there was none.
void FileSet::rollBack() {
  for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry) {
    if (!entry->backup.isEmpty()) {
      // When the name still holds the old entry, the rename does nothing and the unlink drops the link.
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

void writeFileWhole(const QString& path, const QByteArray& content) {
  const qsizetype slash = path.lastIndexOf(u'/');
  FileSet file(slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash));
  file.add(path.mid(slash + 1), content);
  file.commit();
}

void GuardedFiles::guard(const QString& path) {
  const QByteArray native = toNativeName(path);
  struct stat info {};
  for (const Lookup lookup : {Lookup(::stat), Lookup(::lstat)})
    if (lookup(native.constData(), &info) == 0) keys_.emplace(info.st_dev, info.st_ino, QByteArray());
  const auto [folder, last] = split(native);
  if (last.isEmpty()) return;
  if (::stat(folder.constData(), &info) == 0)
    keys_.emplace(info.st_dev, info.st_ino, last);
  else
    missingFolderPaths_.insert(absolutePath(path));
}

bool GuardedFiles::isGuarded(const QString& folder, const QString& name) const {
  const QByteArray nativeFolder = toNativeName(folder);
  const QByteArray nativeName = toNativeName(name);
  struct stat info {};
  if (::stat(nativeFolder.constData(), &info) == 0 && keys_.contains({info.st_dev, info.st_ino, nativeName})) return true;
  if (missingFolderPaths_.contains(absolutePath(folder + u'/' + name))) return true;
  const QByteArray path = nativeFolder + "/" + nativeName;
  for (const Lookup lookup : {Lookup(::stat), Lookup(::lstat)})
    if (lookup(path.constData(), &info) == 0 && keys_.contains({info.st_dev, info.st_ino, QByteArray()})) return true;
  return false;
}

}  // namespace tavro

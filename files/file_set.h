#pragma once
// Files written whole or not at all, as a set: each goes to a temporary file
// in the folder, checked at every step (write, sync, close), and only when all
// are complete are they renamed into place; if anything fails, none of the
// names is created or changed (a name already replaced is put back from a
// link kept to its old entry). A link under a name is replaced, never written
// through. A replaced file keeps its permissions (and its owner where the
// system allows); a new one gets 0666 less the umask; a file the user may not
// write, or that grants no write permission at all, is refused as read-only.
// Names may hold raw bytes (native_names.h). Failures throw Error(Platform)
// naming the file and giving the system's reason.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <set>
#include <tuple>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

namespace tavro {

// Called once at start by a program that writes through FileSet: on SIGINT,
// SIGTERM or SIGHUP every temporary file still registered is unlinked and
// the program ends with status 128 + the signal. A signal that comes while a
// set is put in place waits until it is complete. The handler only reads a
// fixed table and calls unlinkat and _exit, all async-signal-safe.
void removeTemporariesOnInterrupt();

// A temporary name in the folder open as folderFd, registered for the object's life; shorter than
// kMaxName. When the table is full the name is simply not covered.
class InterruptibleTemporary {
 public:
  static constexpr int kMaxName = 40;
  InterruptibleTemporary(int folderFd, const QByteArray& name);
  ~InterruptibleTemporary();
  InterruptibleTemporary(InterruptibleTemporary&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }
  InterruptibleTemporary& operator=(InterruptibleTemporary&&) = delete;

 private:
  int slot_ = -1;
};

// Holds back the interrupt for its life; one that came meanwhile acts when the last goes.
class InterruptsDeferred {
 public:
  InterruptsDeferred();
  ~InterruptsDeferred();
  InterruptsDeferred(const InterruptsDeferred&) = delete;
  InterruptsDeferred& operator=(const InterruptsDeferred&) = delete;
};

class FileSet {
 public:
  // The folder must exist.
  explicit FileSet(const QString& folder);
  ~FileSet();
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // Writes the content to a temporary file now; fileName: a plain name, new to this set.
  void add(const QString& fileName, const QByteArray& content);
  // Puts every file in place, or none.
  void commit();

  // Folder + "/" + name of each file, in the order added.
  QStringList paths() const;

 private:
  struct Entry {
    QByteArray name;       // raw bytes
    QByteArray temporary;  // the whole content, waiting under this name
    QByteArray backup;     // a link to the entry the name held before, if any
    std::optional<InterruptibleTemporary> temporaryCover;  // both removed on an interrupt
    std::optional<InterruptibleTemporary> backupCover;
    bool placed = false;
  };

  [[noreturn]] void fail(const QByteArray& name, int error) const;
  [[noreturn]] void failBecause(const QByteArray& name, const QString& reason) const;
  QByteArray createTemporary(int& fd, mode_t mode, std::optional<InterruptibleTemporary>& cover) const;
  std::optional<struct stat> replacedFile(const QByteArray& name) const;
  void keepOldEntry(Entry& entry);
  void rollBack();

  QString folder_;
  int folderFd_ = -1;
  std::vector<Entry> entries_;
};

// One file, whole or not at all.
void writeFileWhole(const QString& path, const QByteArray& content);

// The files one run of a program must not write over: its inputs and what it
// wrote already, known by device and inode so that another spelling, a link
// or a hard link is caught too; a name that leads nowhere yet by its folder's
// device and inode and its last part (by its full path while even the folder
// is missing), so that the run does not create an input it will read.
class GuardedFiles {
 public:
  // Guards the file the path leads to, the entry under the name itself (a link), and the name in its folder.
  void guard(const QString& path);
  // Whether writing `name` inside `folder` would replace or create a guarded file.
  bool isGuarded(const QString& folder, const QString& name) const;

 private:
  // (device, inode, name): a file when the name is empty, else a name in a folder.
  using Key = std::tuple<dev_t, ino_t, QByteArray>;
  std::set<Key> keys_;
  std::set<QString> missingFolderPaths_;  // absolute, cleaned
};

}  // namespace tavro

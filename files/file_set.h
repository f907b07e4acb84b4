#pragma once
// Files written whole or not at all, as a set. Each file is written to a
// temporary file in the target folder, checked at every step (write, sync,
// close); only when every file of the set is complete are they renamed into
// place. If any step fails, none of the set's names is created or changed:
// a name already replaced is put back from a link kept to its old entry.
// A name taken by a link is replaced; the link's target is never written.
// A file replaced keeps its permissions (and its owner where the system
// allows); a new file gets 0666 less the umask. An ordinary file the user
// may not write, or whose mode grants no write permission at all, is not
// replaced: the set fails saying so, as an editor refuses a read-only file.
// Temporary files are removed on an interrupt (see interrupt_cleanup.h).
//
// Folder and file names may hold raw bytes (see native_names.h). Failures
// throw Error(Platform) naming the file and giving the system's reason.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include <sys/stat.h>

#include "files/interrupt_cleanup.h"

namespace tavro {

class FileSet {
 public:
  // The folder must exist.
  explicit FileSet(const QString& folder);
  ~FileSet();  // removes whatever was not put in place
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // Writes the content to a temporary file now; fileName is a plain name
  // inside the folder, not yet used in this set.
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
  void removeLeftovers();

  QString folder_;
  int folderFd_ = -1;
  std::vector<Entry> entries_;
};

// One file, whole or not at all.
void writeFileWhole(const QString& path, const QByteArray& content);

}  // namespace tavro

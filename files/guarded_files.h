#pragma once
// The files one run of a program must not write over: its inputs and what it
// wrote already, known by device and inode so that another spelling, a link
// or a hard link is caught too; a name that leads nowhere yet by its folder's
// device and inode and its last part (by its full path while even the folder
// is missing), so that the run does not create an input it will read.

#include <QByteArray>
#include <QString>
#include <set>
#include <tuple>

#include <sys/types.h>

namespace tavro {

class GuardedFiles {
 public:
  // Guards the file the path leads to, the entry under the name itself (a
  // link), and the name in its folder.
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

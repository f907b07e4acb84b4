#include "files/guarded_files.h"

#include <sys/stat.h>

#include "files/entries.h"
#include "files/native_names.h"

namespace tavro {

namespace {

using Lookup = int (*)(const char*, struct stat*);

// The folder part and the last part of a path; no last part for one that
// ends in "/", "." or "..".
std::pair<QByteArray, QByteArray> split(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
  QByteArray last = path.mid(slash + 1);
  if (last == "." || last == "..") last.clear();
  return {folder, last};
}

}  // namespace

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

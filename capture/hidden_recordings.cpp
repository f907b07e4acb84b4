#include "capture/hidden_recordings.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include <QRandomGenerator>
#include <QScopeGuard>

#include "capture/avi_writer.h"
#include "files/native_names.h"

namespace tavro {

namespace {

const QByteArray kPrefix = ".tavro-rec-";
const QByteArray kSuffix = ".avi";
constexpr int kRandomLetters = 6;

bool isHiddenRecording(const QByteArray& name) {
  return name.size() == kPrefix.size() + kRandomLetters + kSuffix.size() && name.startsWith(kPrefix) &&
         name.endsWith(kSuffix);
}

// Cut to at most size bytes, not inside a UTF-8 sequence.
QByteArray cutTo(QByteArray name, qsizetype size) {
  if (name.size() <= size) return name;
  name.truncate(size);
  while (!name.isEmpty() && (std::uint8_t(name.back()) & 0xC0) == 0x80) name.chop(1);
  if (!name.isEmpty() && std::uint8_t(name.back()) >= 0xC0) name.chop(1);
  return name;
}

// Renames without replacing; the first free "NAME (unfinished N).avi".
QByteArray giveVisibleName(const QByteArray& folder, const QByteArray& hidden, QByteArray stem) {
  if (stem.toLower().endsWith(kSuffix)) stem.chop(kSuffix.size());
  if (stem.isEmpty()) stem = "recording";
  for (int n = 1; n < 100; ++n) {
    const QByteArray suffix =
        n == 1 ? QByteArray(" (unfinished).avi") : " (unfinished " + QByteArray::number(n) + ").avi";
    const QByteArray visible = cutTo(stem, NAME_MAX - suffix.size()) + suffix;
    const QByteArray path = folder + '/' + visible;
    if (::renameat2(AT_FDCWD, hidden.constData(), AT_FDCWD, path.constData(), RENAME_NOREPLACE) == 0) return path;
    // A file system that cannot rename without replacing: look first.
    if (errno == EINVAL && ::access(path.constData(), F_OK) != 0 && ::rename(hidden.constData(), path.constData()) == 0)
      return path;
    if (errno != EEXIST && errno != EINVAL) break;
  }
  return {};
}

// The visible name it was kept under, with how long it plays; empty when
// it was none of ours, still open, or could not be kept.
QString keepUnfinished(const QByteArray& folder, const QByteArray& hidden) {
  const int fd = ::open(hidden.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {};
  const auto close = qScopeGuard([fd] { ::close(fd); });
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return {};
  FileBytes file(fd);
  QByteArray target;
  double rate = 0;
  std::optional<AviWriter> video = AviWriter::reopen(file, target, rate);
  if (!video || !(rate >= 0.01)) return {};
  if (video->frameCount() == 0) {
    ::unlink(hidden.constData());  // killed before its first frame: nothing to keep
    return {};
  }
  if (video->finish(rate) != 0 || ::fsync(fd) != 0) return {};
  const QByteArray visible = giveVisibleName(folder, hidden, target);
  if (visible.isEmpty()) return {};
  return QStringLiteral("An unfinished recording (%1 seconds) was found and kept as %2")
      .arg(double(video->frameCount()) / rate, 0, 'f', 1)
      .arg(displayName(fromNativeName(visible)));
}

}  // namespace

int createHiddenRecording(const QByteArray& folder, QByteArray& path) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = folder + '/' + kPrefix;
    for (int i = 0; i < kRandomLetters; ++i) path += letters[QRandomGenerator::global()->bounded(36)];
    path += kSuffix;
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX);  // before anything is written: the search never finishes it
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

QStringList keepUnfinishedRecordings(const QString& folder) {
  const QByteArray native = toNativeName(folder);
  std::vector<QByteArray> hidden;
  if (DIR* entries = ::opendir(native.constData())) {
    while (const dirent* entry = ::readdir(entries)) {
      if (isHiddenRecording(entry->d_name)) hidden.push_back(native + '/' + entry->d_name);
    }
    ::closedir(entries);
  }
  QStringList kept;
  for (const QByteArray& path : hidden) {
    const QString line = keepUnfinished(native, path);
    if (!line.isEmpty()) kept << line;
  }
  return kept;
}

}  // namespace tavro

#include "app/face_folder.h"

#include <unistd.h>

#include <QDir>
#include <algorithm>

#include "build_info.h"
#include "files/entries.h"
#include "files/native_names.h"

namespace tavro {

namespace {

// The user's face folder, inside the user's data folder.
const QString kFolderName = QStringLiteral("tavro-cam");

bool isInstalledLayout(const QString& programDirectory) {
  const QString entry =
      QStringLiteral("%1/%2/applications/%3.desktop")
          .arg(programDirectory, QLatin1String(build::kDataFolderFromBin), QLatin1String(build::kDesktopEntry));
  return entryKind(entry) == EntryKind::File;
}

// $XDG_DATA_HOME, unless unset, empty or relative (which the XDG rules
// say to ignore); then ~/.local/share.
QString userDataFolder(const QProcessEnvironment& environment) {
  const QString dataHome = environment.value(QStringLiteral("XDG_DATA_HOME"));
  if (QDir::isAbsolutePath(dataHome)) return dataHome;
  QString home = environment.value(QStringLiteral("HOME"));
  if (home.isEmpty()) home = QDir::homePath();
  return home + QStringLiteral("/.local/share");
}

}  // namespace

FaceFolder::FaceFolder(QString programDirectory, const QProcessEnvironment& environment, QString chosen) {
  QString folder = std::move(chosen);
  if (folder.isEmpty())
    folder = isInstalledLayout(programDirectory) ? userDataFolder(environment) + u'/' + kFolderName
                                                 : std::move(programDirectory);
  path_ = absolutePath(folder);
}

FaceFolder FaceFolder::ofThisProgram(const QString& chosen) {
  return FaceFolder(executableDirectory(), QProcessEnvironment::systemEnvironment(), chosen);
}

QStringList createFolderOf(const QString& faceFile) {
  const QString file = absolutePath(faceFile);
  const qsizetype slash = file.lastIndexOf(u'/');
  const QString folder = slash <= 0 ? QStringLiteral("/") : file.left(slash);
  QStringList missing;
  for (QString part = folder; part.size() > 1 && entryKind(part) == EntryKind::Nothing;
       part = part.left(std::max<qsizetype>(part.lastIndexOf(u'/'), 1)))
    missing.prepend(part);
  makeFolder(folder, QStringLiteral("face folder"));
  return missing;
}

void removeFolders(const QStringList& folders) {
  for (qsizetype i = folders.size() - 1; i >= 0; --i)
    if (::rmdir(toNativeName(folders[i]).constData()) != 0) return;
}

}  // namespace tavro

#include "app/face_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "build_info.h"
#include "platform/errors.h"
#include "platform/files/native_names.h"
#include "platform/picture/program_directory.h"

namespace tavro {

namespace {

// The user's face folder, inside the user's data folder.
const QString kFolderName = QStringLiteral("tavro-cam");

bool isInstalledLayout(const QString& programDirectory) {
  const QString entry =
      QStringLiteral("%1/%2/applications/%3.desktop")
          .arg(programDirectory, QLatin1String(build::kDataFolderFromBin), QLatin1String(build::kDesktopEntry));
  return QFileInfo(entry).isFile();
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

// The folder as an absolute path with the bytes of its name kept: QFileInfo
// would turn raw bytes (see platform/files/native_names.h) into U+FFFD.
QString absoluteFolder(const QString& folder) {
  if (QDir::isAbsolutePath(folder)) return QDir::cleanPath(folder);
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  const QString base = error ? QDir::currentPath() : fromNativeName(QByteArray::fromStdString(current.native()));
  return QDir::cleanPath(base + u'/' + folder);
}

}  // namespace

FaceFolder::FaceFolder(QString programDirectory, const QProcessEnvironment& environment, QString chosen) {
  QString folder = std::move(chosen);
  if (folder.isEmpty())
    folder = isInstalledLayout(programDirectory) ? userDataFolder(environment) + u'/' + kFolderName
                                                 : std::move(programDirectory);
  path_ = absoluteFolder(folder);
}

FaceFolder FaceFolder::ofThisProgram(const QString& chosen) {
  return FaceFolder(executableDirectory(), QProcessEnvironment::systemEnvironment(), chosen);
}

void createFolderOf(const QString& faceFile) {
  const QString folder = QFileInfo(faceFile).absolutePath();
  std::error_code error;
  std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
  if (error)
    throw Error(ErrorKind::Platform,
                ("Cannot create the face folder " + folder + ": ").toStdString() + error.message());
}

}  // namespace tavro

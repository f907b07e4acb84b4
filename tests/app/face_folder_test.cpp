#include "app/face_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "build_info.h"
#include "platform/errors.h"

namespace {

// Where each kind of program keeps its faces: its own folder unless it sits
// in the bin folder of an installed layout (the desktop entry under the data
// folder beside bin); --faces wins over both.
TEST(FaceFolder, OwnFolderUnlessInstalledAndChosenFolderFirst) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QString top = root.path();
  const QString entry =
      QStringLiteral("/prefix/bin/%1/applications/%2.desktop")
          .arg(QLatin1String(tavro::build::kDataFolderFromBin), QLatin1String(tavro::build::kDesktopEntry));
  for (const QString folder : {"/build/app", "/mine/bin", "/prefix/bin"}) ASSERT_TRUE(QDir().mkpath(top + folder));
  QFile desktopEntry(QDir::cleanPath(top + entry));
  ASSERT_TRUE(QDir().mkpath(QFileInfo(desktopEntry).path()) && desktopEntry.open(QIODevice::WriteOnly));

  const struct {
    const char* program;
    const char* dataHome;  // XDG_DATA_HOME
    QString chosen;
    bool installed;
    QString expected;
  } cases[] = {
      {"/build/app", "/xdg", {}, false, top + "/build/app"},
      {"/mine/bin", "/xdg", {}, false, top + "/mine/bin"},  // a copy in a bin folder of the user's
      {"/prefix/bin", "/xdg", {}, true, "/xdg/tavro-cam"},
      {"/prefix/bin", "", {}, true, "/home/ann/.local/share/tavro-cam"},
      {"/prefix/bin", "relative/data", {}, true, "/home/ann/.local/share/tavro-cam"},
      {"/prefix/bin", "/xdg", top + "/given/", true, top + "/given"},
      {"/build/app", "/xdg", "given", false, QDir::currentPath() + "/given"},
  };
  for (const auto& [program, dataHome, chosen, installed, expected] : cases) {
    QProcessEnvironment environment;
    environment.insert("HOME", "/home/ann");
    if (*dataHome != '\0') environment.insert("XDG_DATA_HOME", dataHome);
    const tavro::FaceFolder folder(top + program, environment, chosen);
    EXPECT_EQ(folder.installed(), installed) << program;
    EXPECT_EQ(folder.path(), expected) << program << " " << dataHome << " " << chosen.toStdString();
  }
}

TEST(FaceFolder, IsCreatedForItsFirstFileOrTheReasonGiven) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  tavro::createFolderOf(root.filePath("data/tavro-cam/face19a.jpg"));
  EXPECT_TRUE(QFileInfo(root.filePath("data/tavro-cam")).isDir());
  QFile blocker(root.filePath("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  try {
    tavro::createFolderOf(root.filePath("file/tavro-cam/face19a.jpg"));
    ADD_FAILURE() << "a folder inside a file";
  } catch (const tavro::Error& e) {
    EXPECT_TRUE(QString(e.what()).startsWith("Cannot create the face folder " + root.filePath("file/tavro-cam") + ": "))
        << e.what();
  }
}

}  // namespace

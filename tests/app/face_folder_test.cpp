#include "app/face_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "build_info.h"
#include "files/native_names.h"
#include "platform/errors.h"

namespace {

// Where each kind of program keeps its faces: its own folder unless it sits
// in the bin folder of an installed layout (the desktop entry under the data
// folder beside bin); --faces wins over both.
TEST(FaceFolder, OwnFolderUnlessInstalledAndChosenFolderFirst) {
  QTemporaryDir root;
  const QString top = root.path();
  QFile desktopEntry(QDir::cleanPath(QStringLiteral("%1/prefix/bin/%2/applications/%3.desktop")
                                         .arg(top, tavro::build::kDataFolderFromBin, tavro::build::kDesktopEntry)));
  ASSERT_TRUE(QDir().mkpath(top + "/prefix/bin") && QDir().mkpath(QFileInfo(desktopEntry).path()));
  ASSERT_TRUE(desktopEntry.open(QIODevice::WriteOnly));

  const struct {
    const char* program;
    const char* dataHome;  // XDG_DATA_HOME
    QString chosen;
    QString expected;
  } cases[] = {
      {"/build/app", "/xdg", {}, top + "/build/app"},
      {"/mine/bin", "/xdg", {}, top + "/mine/bin"},  // a copy in a bin folder of the user's
      {"/prefix/bin", "/xdg", {}, "/xdg/tavro-cam"},
      {"/prefix/bin", "", {}, "/home/ann/.local/share/tavro-cam"},
      {"/prefix/bin", "relative/data", {}, "/home/ann/.local/share/tavro-cam"},
      {"/prefix/bin", "/xdg", top + "/given/", top + "/given"},
      {"/build/app", "/xdg", "given", QDir::currentPath() + "/given"},
      // a relative name that is not UTF-8 keeps its bytes
      {"/build/app", "/xdg", tavro::fromNativeName("f\xff"), QDir::currentPath() + tavro::fromNativeName("/f\xff")},
  };
  for (const auto& [program, dataHome, chosen, expected] : cases) {
    QProcessEnvironment environment;
    environment.insert("HOME", "/home/ann");
    if (*dataHome != '\0') environment.insert("XDG_DATA_HOME", dataHome);
    EXPECT_EQ(tavro::FaceFolder(top + program, environment, chosen).path(), expected)
        << program << " " << dataHome << " " << chosen.toStdString();
  }
}

TEST(FaceFolder, ReasonGivenWhenItCannotBeCreated) {
  QTemporaryDir root;
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

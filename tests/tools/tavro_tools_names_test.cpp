// Names and folders: file names that are not UTF-8, tabs and newlines in
// names, a picture named ".png", faces folders with nothing to learn from,
// and the help options both tools list.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "face_picture_files.h"
#include "tool_run.h"

namespace {

using namespace tavro::testing;

struct Case {
  const char* what;
  const char* tool;
  // Prepares the folder and returns the arguments, as the system's bytes.
  std::function<QList<QByteArray>(const QByteArray& dir)> arguments;
  int status;
  QByteArray out;  // expected in standard output
  QByteArray err;  // expected in standard error
  NativeSetup setup = {};
};

// A face picture (face7b unless told) under a name given as bytes.
QByteArray probeNamed(const QByteArray& dir, const QByteArray& name, int letterIndex = 1) {
  const QByteArray path = dir + "/" + name;
  QFile probe;
  EXPECT_TRUE(probe.open(::open(path.constData(), O_WRONLY | O_CREAT, 0644), QIODevice::WriteOnly,
                         QFileDevice::AutoCloseHandle));
  EXPECT_TRUE(facePicture(7, letterIndex).save(&probe, "JPEG"));
  return path;
}

QByteArray makeFolder(const QByteArray& path, mode_t mode = 0755) {
  EXPECT_EQ(::mkdir(path.constData(), mode), 0) << path.toStdString();
  return path;
}

TEST(ToolNames, NamesAndFoldersWork) {
  QTemporaryDir temporary;
  ASSERT_TRUE(temporary.isValid());
  const QByteArray root = QFile::encodeName(temporary.path());
  ASSERT_TRUE(writeAllFaceFiles(temporary.path()));
  const Case cases[] = {
      {"edges: a name that is not UTF-8", TAVRO_EDGES_PATH,
       [](const QByteArray& dir) {
         return QList<QByteArray>{probeNamed(dir, "caf\xe9.jpg"), "--grid", "8x8", "--out", dir + "/o\xff"};
       },
       0, "/o\xff/caf\xe9-angle-histogram.png\n", ""},
      {"edges: a picture named .png", TAVRO_EDGES_PATH,
       [](const QByteArray& dir) { return QList<QByteArray>{probeNamed(dir, ".png"), "--grid", "8x8", "--out", dir}; },
       0, "/.png-grid.png\n", ""},
      {"faces: a probe name that is not UTF-8", TAVRO_FACES_PATH,
       [&](const QByteArray& dir) { return QList<QByteArray>{"--faces", root, probeNamed(dir, "\xff\xfe.jpg")}; },
       0, "/\xff\xfe.jpg\t7\t", ""},
      {"faces: tab, newline and backslash escaped", TAVRO_FACES_PATH,
       [&](const QByteArray& dir) { return QList<QByteArray>{"--faces", root, probeNamed(dir, "a\tb\nc\\d.jpg")}; },
       0, "/a\\tb\\nc\\\\d.jpg\t7\t", ""},
      {"faces: a faces folder that is not UTF-8", TAVRO_FACES_PATH,
       [&](const QByteArray& dir) {
         const QByteArray folder = makeFolder(dir + "/f\xff");
         probeNamed(folder, "face7a.jpg", 0);
         return QList<QByteArray>{"--faces", folder, probeNamed(dir, "p.jpg")};
       },
       0, "\t7\t" + root + "/", ""},
      {"faces: an empty faces folder", TAVRO_FACES_PATH,
       [&](const QByteArray& dir) {
         return QList<QByteArray>{"--faces", makeFolder(dir + "/empty"), probeNamed(dir, "p.jpg")};
       },
       1, "", "/empty holds no readable face file"},
      {"faces: a faces folder that cannot be read", TAVRO_FACES_PATH,
       [&](const QByteArray& dir) {
         return QList<QByteArray>{"--faces", makeFolder(dir + "/shut", 0), probeNamed(dir, "p.jpg")};
       },
       1, "", "cannot read the folder of face files " + root, {{}, RLIM_INFINITY, true}},
      {"edges: --help-all is not offered", TAVRO_EDGES_PATH, [](const QByteArray&) { return QList<QByteArray>{"--help-all"}; },
       2, "", "Unknown option 'help-all'"},
      {"faces: --help-all is not offered", TAVRO_FACES_PATH, [](const QByteArray&) { return QList<QByteArray>{"--help-all"}; },
       2, "", "Unknown option 'help-all'"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QByteArray dir = makeFolder(root + "/case" + QByteArray::number(++n));
    const NativeRun run = runNative(c.tool, c.arguments(dir), c.setup);
    EXPECT_EQ(run.status, c.status) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(c.out)) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
    if (c.status == 0 && std::string(c.tool) == TAVRO_FACES_PATH) {
      EXPECT_EQ(run.out.count('\n'), 1);  // one answer line, three fields
      EXPECT_EQ(run.out.count('\t'), 2);
    }
  }
  for (const char* tool : {TAVRO_EDGES_PATH, TAVRO_FACES_PATH}) {
    const NativeRun help = runNative(tool, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_FALSE(help.out.contains("help-all")) << tool;
  }
  runNative("/bin/rm", {"-rf", root});  // Qt cannot name what it would have to remove
}

}  // namespace

// Writes that fail are failures: the five views of tavro-edges are all or
// nothing, a link under a view's name is replaced and never written through,
// and standard output that cannot be written ends both tools with status 1
// and the system's reason.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <functional>

#include "face_picture_files.h"
#include "tool_run.h"

namespace {

using namespace tavro::testing;

const QStringList kViews = {"grid", "edge-classes", "traces", "edge-histogram", "angle-histogram"};

struct Case {
  const char* what;
  QString stem;                                     // of the picture tavro-edges reads
  std::function<void(const QDir& out)> plant;       // what the output folder holds first
  NativeSetup setup;
  int status;
  QByteArray reason;                                // on standard error
  bool viewsWritten;
};

TEST(ToolWrites, FailuresAreReportedAndLeaveNoViewCreatedOrChanged) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(writeText(dir.filePath("target"), "keep"));
  const auto link = [&](const QString& target, const QString& name) {
    return [=](const QDir& out) { ASSERT_TRUE(QFile::link(target, out.filePath(name))); };
  };
  const QString tooLong(240, u'n');  // "-grid.png" fits the 255-byte limit, "-angle-histogram.png" does not
  const Case cases[] = {
      {"standard output full", "pic", {}, {"/dev/full"}, 1, "No space left on device", true},
      {"a folder under a view's name", "pic", [](const QDir& out) { ASSERT_TRUE(out.mkdir("pic-traces.png")); }, {}, 1,
       "Is a directory", false},
      {"a file-size limit", "pic", {}, {{}, 4096}, 1, "File too large", false},
      {"a name longer than the system allows", tooLong, {}, {}, 1, "File name too long", false},
      {"a view name linked to /dev/full", "pic", link("/dev/full", "pic-edge-classes.png"), {}, 0, "", true},
      {"a link planted under a view's name", "pic", link(dir.filePath("target"), "pic-traces.png"), {}, 0, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QDir out(dir.filePath(c.what));
    ASSERT_TRUE(out.mkpath("."));
    const QString picture = dir.filePath(c.stem + ".png");
    ASSERT_TRUE(tavro::testing::facePicture(3, 0).save(picture, "PNG"));
    const QString oldView = out.filePath(c.stem + "-" + kViews.front() + ".png");  // put in place first, so put back
    ASSERT_TRUE(writeText(oldView, "old"));
    if (c.plant) c.plant(out);

    const NativeRun run = runNative(TAVRO_EDGES_PATH, {QFile::encodeName(picture), "--grid", "16x16", "--out",
                                                       QFile::encodeName(out.path())}, c.setup);
    EXPECT_EQ(run.status, c.status) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
    for (const QString& view : kViews) {
      const QString path = out.filePath(c.stem + "-" + view + ".png");
      const QFileInfo info(path);
      if (c.viewsWritten) {
        EXPECT_TRUE(info.isFile() && !info.isSymLink()) << path.toStdString();
        EXPECT_FALSE(QImage(path, "PNG").isNull()) << path.toStdString();
      } else if (path == oldView) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll() == "old");
      } else {
        EXPECT_TRUE(!info.exists() || info.isDir()) << path.toStdString();
      }
    }
    EXPECT_TRUE(out.entryList({".tavro-*"}, QDir::Hidden | QDir::Files).isEmpty()) << "temporaries left";
  }
  QFile target(dir.filePath("target"));
  ASSERT_TRUE(target.open(QIODevice::ReadOnly));
  EXPECT_EQ(target.readAll(), "keep");

  // tavro-faces' answers, plain and as JSON.
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  for (const QByteArray& format : {QByteArray("--scores"), QByteArray("--json")}) {
    const NativeRun run = runNative(TAVRO_FACES_PATH, {"--faces", QFile::encodeName(dir.path()), format,
                                                       QFile::encodeName(faceFileName(dir.path(), 4, 'b'))},
                                    {"/dev/full"});
    EXPECT_EQ(run.status, 1) << format.toStdString();
    EXPECT_TRUE(run.err.contains("standard output: No space left on device")) << run.err.toStdString();
  }
}

}  // namespace

// What a run leaves alone: its inputs, a file's protection, no temporary
// files after an interrupt, and a standard error free of Qt's complaints.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <sys/stat.h>

#include "face_picture_files.h"
#include "files/file_set.h"
#include "files/interrupt_cleanup.h"
#include "platform/errors.h"
#include "tool_run.h"

namespace {

using namespace tavro::testing;

QByteArray contentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList temporaries(const QString& folder) { return QDir(folder).entryList({".tavro-*"}, QDir::Hidden | QDir::Files); }

TEST(RunInputs, AreNeverWrittenOverByExplainPicturesOrEdgeViews) {
  QTemporaryDir dir;
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  const QString visitor = dir.filePath("visitor.png"), guestJpg = dir.filePath("guest.jpg"),
                guestPng = dir.filePath("guest.png");
  ASSERT_TRUE(facePicture(3, 1).save(visitor) && facePicture(12, 1).save(guestJpg) && facePicture(10, 1).save(guestPng));
  ASSERT_TRUE(QFile::copy(guestJpg, dir.filePath("q.jpg")));
  ASSERT_EQ(::link(QFile::encodeName(dir.filePath("q.jpg")), QFile::encodeName(dir.filePath("q-traces.png"))), 0);
  const QByteArray guestBytes = contentOf(guestPng), visitorBytes = contentOf(visitor);

  const QStringList faces = {"--faces", dir.path(), "--scores", visitor, guestJpg, guestPng};
  const ToolRun plain = runProgram(TAVRO_FACES_PATH, faces);
  const ToolRun explained = runProgram(TAVRO_FACES_PATH, faces + QStringList{"--explain", dir.path()});
  ASSERT_EQ(explained.status, 0) << explained.err.toStdString();
  EXPECT_EQ(explained.out, plain.out);
  EXPECT_TRUE(explained.out.contains(guestPng + "\t10\t")) << explained.out.toStdString();
  // A picture given twice, a missing one named like a view, one hard-linked under a view's name.
  const ToolRun edges = runProgram(TAVRO_EDGES_PATH, {guestJpg, dir.filePath("guest-grid.png"), guestJpg,
                                                      dir.filePath("q.jpg"), "--grid", "8x8", "--out", dir.path()});
  EXPECT_EQ(edges.status, 1);  // guest-grid.png is missing

  EXPECT_EQ(contentOf(guestPng), guestBytes);
  EXPECT_EQ(contentOf(visitor), visitorBytes);
  EXPECT_FALSE(QFile::exists(dir.filePath("guest-grid.png")));
  for (const char* name : {"visitor-2.png", "guest-2.png", "guest-3.png", "guest-2-grid.png", "guest-3-traces.png",
                           "q-2-traces.png"})
    EXPECT_FALSE(QImage(dir.filePath(name), "PNG").isNull()) << name;
  EXPECT_EQ(contentOf(dir.filePath("q-traces.png")), contentOf(guestJpg));
}

TEST(FileWrites, KeepTheFilesModeAndLeaveReadOnlyFilesAlone) {
  QTemporaryDir dir;
  const struct {
    mode_t before;  // 0: no file yet
    mode_t umask;
    mode_t after;
    bool replaced;
  } cases[] = {{0, 022, 0644, true},     {0, 077, 0600, true},     {0600, 022, 0600, true}, {0640, 077, 0640, true},
               {0755, 022, 0755, true},  {0444, 022, 0444, false}, {0400, 0, 0400, false},  {0555, 022, 0555, false}};
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::number(c.before, 8) + "-" + QString::number(c.umask, 8));
    SCOPED_TRACE(path.toStdString());
    if (c.before != 0) ASSERT_TRUE(writeText(path, "old") && ::chmod(QFile::encodeName(path), c.before) == 0);
    const mode_t oldMask = ::umask(c.umask);
    try {
      tavro::writeFileWhole(path, "new");
      EXPECT_TRUE(c.replaced);
    } catch (const tavro::Error& e) {
      EXPECT_FALSE(c.replaced);
      EXPECT_EQ(std::string(e.what()), "Cannot write " + path.toStdString() + ": the file is read-only");
    }
    ::umask(oldMask);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, c.after);
    EXPECT_EQ(contentOf(path), c.replaced ? "new" : "old");
  }
  EXPECT_EQ(temporaries(dir.path()), QStringList());
}

// In a child: files only half written, or a set being put in place, when the signal comes.
TEST(Interrupts, RemoveTheTemporaryFilesAndEndWith128PlusTheSignal) {
  for (const bool committing : {false, true})
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      QTemporaryDir dir;
      const pid_t child = fork();
      if (child == 0) {
        tavro::removeTemporariesOnInterrupt();
        tavro::FileSet files(dir.path());
        files.add("a.png", "a");
        files.add("b.png", "b");
        if (committing) {
          const tavro::InterruptsDeferred held;  // acted on when it goes, the set in place
          ::raise(signal);
          files.commit();
        } else {
          ::raise(signal);
        }
        _exit(1);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << signal << " " << committing;
      EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                committing ? QStringList({"a.png", "b.png"}) : QStringList());
    }
}

// The tools themselves, stopped once their first picture is written.
TEST(Interrupts, EndTheToolsWithTheirStatusAndNoTemporaryFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  const QString out = dir.filePath("out");
  const QStringList probes(400, faceFileName(dir.path(), 4, 'b'));
  const struct {
    const char* tool;
    QStringList options;
    int signal;
  } cases[] = {{TAVRO_EDGES_PATH, {"--out", out}, SIGTERM},
               {TAVRO_FACES_PATH, {"--faces", dir.path(), "--explain", out}, SIGINT}};
  for (const auto& c : cases) {
    ASSERT_TRUE(QDir(out).removeRecursively());
    QProcess tool;
    tool.start(c.tool, c.options + probes);
    for (int wait = 0; wait < 3000 && QDir(out).entryList({"*.png"}).isEmpty(); ++wait) tool.waitForFinished(20);
    ASSERT_EQ(tool.state(), QProcess::Running) << c.tool;
    ::kill(pid_t(tool.processId()), c.signal);
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 128 + c.signal) << c.tool;
    EXPECT_EQ(temporaries(out), QStringList()) << c.tool;
  }
}

// Started from ssh, cron or runuser: no XDG_RUNTIME_DIR.
TEST(Quiet, WithoutXdgRuntimeDirStandardErrorHoldsOnlyTheProgramsOwnMessages) {
  QTemporaryDir dir;
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("XDG_RUNTIME_DIR");
  environment.insert("TMPDIR", dir.path());  // where Qt, and so the programs, put the runtime folder
  const QString probe = faceFileName(dir.path(), 4, 'b');
  const struct {
    const char* program;
    QStringList args;
  } runs[] = {{TAVRO_EDGES_PATH, {"--version"}},
              {TAVRO_EDGES_PATH, {probe, "--out", dir.path()}},
              {TAVRO_FACES_PATH, {"--faces", dir.path(), "--explain", dir.path(), probe}}};
  for (const auto& run : runs) {
    const ToolRun done = runProgram(run.program, run.args, environment);
    EXPECT_EQ(done.status, 0) << run.program;
    EXPECT_EQ(done.err, "") << run.program;
  }
  // The window, stopped once it waits in its event loop (poll or ppoll).
  QProcess window;
  window.setProcessEnvironment(environment);
  window.start(TAVRO_CAM_PATH, {"--camera", "test"});
  ASSERT_TRUE(window.waitForStarted());
  const QString syscall = QStringLiteral("/proc/%1/syscall").arg(window.processId());
  QByteArray call;
  for (int wait = 0; wait < 3000 && call != "7" && call != "271"; ++wait) {
    window.waitForFinished(20);
    call = contentOf(syscall).split(' ').front();
  }
  EXPECT_TRUE(call == "7" || call == "271") << call.toStdString();
  window.terminate();
  ASSERT_TRUE(window.waitForFinished(60000));
  EXPECT_EQ(window.readAllStandardError(), "");
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(QDir(dir.path()).filePath("runtime-" + qEnvironmentVariable("USER", "root"))), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700);
}

}  // namespace

// What a run leaves alone: its inputs, a file's protection, no temporary
// files after an interrupt, and a standard error free of Qt's complaints.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <sys/stat.h>

#include "face_picture_files.h"
#include "files/file_set.h"
#include "platform/errors.h"
#include "tool_run.h"

namespace {

using namespace tavro::testing;

QByteArray contentOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(RunInputs, AreNeverWrittenOverByExplainPicturesOrEdgeViews) {
  QTemporaryDir dir;
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  const QString visitor = dir.filePath("visitor.png"), guest = dir.filePath("guest.jpg"), q = dir.filePath("q.jpg");
  const QString guestPng = dir.filePath("guest.png");
  ASSERT_TRUE(facePicture(3, 1).save(visitor) && facePicture(12, 1).save(guest) && facePicture(10, 1).save(guestPng));
  ASSERT_TRUE(QFile::copy(guest, q) && ::link(QFile::encodeName(q), QFile::encodeName(dir.filePath("q-traces.png"))) == 0);
  const QByteArray inputs = contentOf(visitor) + contentOf(guestPng);

  const QStringList faces = {"--faces", dir.path(), "--scores", visitor, guest, guestPng};
  const ToolRun explained = runProgram(TAVRO_FACES_PATH, faces + QStringList{"--explain", dir.path()});
  EXPECT_EQ(explained.status, 0) << explained.err.toStdString();
  EXPECT_EQ(explained.out, runProgram(TAVRO_FACES_PATH, faces).out);
  // A picture given twice, a missing one named like a view, one hard-linked under a view's name.
  const QString missing = dir.filePath("guest-grid.png");
  EXPECT_EQ(runProgram(TAVRO_EDGES_PATH, {guest, missing, guest, q, "--grid", "8x8", "--out", dir.path()}).status, 1);

  EXPECT_EQ(contentOf(visitor) + contentOf(guestPng), inputs);
  EXPECT_EQ(contentOf(dir.filePath("q-traces.png")), contentOf(q));
  EXPECT_FALSE(QFile::exists(missing));
  for (const char* name : {"visitor-2.png", "guest-2.png", "guest-3.png", "guest-2-grid.png", "guest-3-grid.png",
                           "q-2-traces.png"})
    EXPECT_FALSE(QImage(dir.filePath(name), "PNG").isNull()) << name;
}

TEST(FileWrites, KeepTheFilesModeAndLeaveReadOnlyFilesAlone) {
  QTemporaryDir dir;
  const struct {
    mode_t before, umask, after;  // before 0: no file yet
  } cases[] = {{0, 022, 0644},    {0, 077, 0600},    {0600, 022, 0600}, {0640, 077, 0640},
               {0755, 022, 0755}, {0444, 022, 0444}, {0400, 0, 0400},   {0555, 022, 0555}};
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::number(c.before, 8) + "-" + QString::number(c.umask, 8));
    const bool readOnly = c.before != 0 && (c.before & 0222) == 0;
    if (c.before != 0) {
      ASSERT_TRUE(writeText(path, "old") && ::chmod(QFile::encodeName(path), c.before) == 0);
    }
    const mode_t oldMask = ::umask(c.umask);
    std::string error;
    try {
      tavro::writeFileWhole(path, "new");
    } catch (const tavro::Error& e) {
      error = e.what();
    }
    ::umask(oldMask);
    EXPECT_EQ(error, readOnly ? "Cannot write " + path.toStdString() + ": the file is read-only" : "");
    struct stat info {};
    EXPECT_TRUE(::stat(QFile::encodeName(path), &info) == 0 && (info.st_mode & 07777) == c.after) << path.toStdString();
    EXPECT_EQ(contentOf(path), readOnly ? "old" : "new") << path.toStdString();
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).size(), qsizetype(std::size(cases)));
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
        std::optional<tavro::InterruptsDeferred> held;
        if (committing) held.emplace();  // as during a commit: acted on when it goes
        ::raise(signal);
        files.commit();
        held.reset();
        _exit(1);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << signal;
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
  const std::tuple<const char*, QStringList, int> cases[] = {
      {TAVRO_EDGES_PATH, {"--out", out}, SIGTERM}, {TAVRO_FACES_PATH, {"--faces", dir.path(), "--explain", out}, SIGINT}};
  for (const auto& [program, options, signal] : cases) {
    ASSERT_TRUE(QDir(out).removeRecursively());
    QProcess tool;
    tool.start(program, options + probes);
    for (int wait = 0; wait < 3000 && QDir(out).entryList({"*.png"}).isEmpty(); ++wait) tool.waitForFinished(20);
    ASSERT_EQ(tool.state(), QProcess::Running) << program;
    ::kill(pid_t(tool.processId()), signal);
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 128 + signal) << program;
    EXPECT_EQ(QDir(out).entryList({".tavro-*"}, QDir::Hidden | QDir::Files), QStringList()) << program;
  }
}

// Started from ssh, cron or runuser: no XDG_RUNTIME_DIR. The window is
// stopped once it waits in its event loop (poll or ppoll).
TEST(Quiet, WithoutXdgRuntimeDirStandardErrorHoldsOnlyTheProgramsOwnMessages) {
  QTemporaryDir dir;
  ASSERT_TRUE(writeAllFaceFiles(dir.path()));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("XDG_RUNTIME_DIR");
  environment.insert("TMPDIR", dir.path());  // where the runtime folder goes
  const QString probe = faceFileName(dir.path(), 4, 'b');
  for (const auto& [program, args] : std::initializer_list<std::pair<const char*, QStringList>>{
           {TAVRO_EDGES_PATH, {"--version"}},
           {TAVRO_FACES_PATH, {"--faces", dir.path(), "--explain", dir.path(), probe}}}) {
    const ToolRun run = runProgram(program, args, environment);
    EXPECT_EQ(run.status, 0) << program;
    EXPECT_EQ(run.err, "") << program;
  }
  QProcess window;
  window.setProcessEnvironment(environment);
  window.start(TAVRO_CAM_PATH, {"--camera", "test"});
  QByteArray call;
  for (int wait = 0; wait < 3000 && call != "7" && call != "271"; ++wait, window.waitForFinished(20))
    call = contentOf(QStringLiteral("/proc/%1/syscall").arg(window.processId())).split(' ').front();
  EXPECT_TRUE(call == "7" || call == "271") << call.toStdString();
  window.terminate();
  ASSERT_TRUE(window.waitForFinished(60000));
  EXPECT_EQ(window.readAllStandardError(), "");  // Qt would also warn of a runtime folder not 0700
}

}  // namespace

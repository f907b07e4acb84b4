// How a recording meets the end of its process: signals and exit() (the
// display lost) end it the normal way, the recording finished under its
// name; after SIGKILL the next recording into the folder keeps what was
// written; a file-size limit fails a snapshot instead of the program.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "capture/ez_vid_cap.h"
#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using namespace std::chrono_literals;
using ProcessEndTest = testing::CaptureTest;

// Whether the process catches SIGTERM yet, as /proc tells.
bool catchesSignals(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("SigCgt:")) return line.mid(7).trimmed().toULongLong(nullptr, 16) & (1u << (SIGTERM - 1));
  }
  return false;
}

TEST_F(ProcessEndTest, SignalsAndExitFinishTheRecordingAndAKilledOneIsKeptLater) {
  const struct { const char* program; const char* mode; int signal, status; } cases[] = {
      {RECORDING_CHILD, "record", SIGTERM, 0}, {RECORDING_CHILD, "record", SIGHUP, 0},
      {RECORDING_CHILD, "record", SIGINT, 0},  {RECORDING_CHILD, "exit", 0, 3},
      {RECORDING_CHILD, "record", SIGKILL, -1}, {TAVRO_CAM, "--camera", SIGTERM, 0}};
  for (const auto& [program, mode, signal, status] : cases) {
    const QString name = QStringLiteral("%1-%2.avi").arg(mode).arg(signal);
    QProcess child;
    child.start(program, {mode, program == TAVRO_CAM ? "test" : pathOf(name)});
    const auto hidden = [&] { return QDir(folder_.path()).entryInfoList({".tavro-rec-*"}, QDir::Hidden | QDir::Files); };
    const auto recording = [&] { return program == TAVRO_CAM || (!hidden().isEmpty() && hidden()[0].size() > 30000); };
    ASSERT_TRUE(testing::runEventsUntil([&] { return catchesSignals(child.processId()) && recording(); }, 60s)) << qPrintable(name);
    const qint64 written = program == TAVRO_CAM ? 0 : hidden()[0].size();
    if (signal != 0) ::kill(pid_t(child.processId()), signal);
    ASSERT_TRUE(child.waitForFinished(60000)) << qPrintable(name);
    EXPECT_EQ(child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1, status) << qPrintable(name);
    if (program == TAVRO_CAM) continue;
    if (signal == SIGKILL) {
      ezVidCap next;
      QStringList told;
      QObject::connect(&next, &ezVidCap::recordingNotice, [&](const QString& m) { told << m; });
      next.setRecordFileName(pathOf("next.avi"));
      next.StartRecording();
      testing::stopRecordingAndWait(next);
      const QString kept = pathOf("record-9 (unfinished).avi");
      ASSERT_EQ(told.size(), 1);
      EXPECT_TRUE(told[0].startsWith("An unfinished recording (") && told[0].endsWith(" was found and kept as " + kept))
          << qPrintable(told[0]);
      EXPECT_GE(QFileInfo(kept).size(), written);  // every frame the killed program had written
      EXPECT_GT(testing::playBack(kept).frames, 0);
    } else {
      EXPECT_GT(testing::playBack(pathOf(name)).frames, 0) << qPrintable(name);
    }
    EXPECT_TRUE(hidden().isEmpty()) << qPrintable(name);
  }
}

TEST_F(ProcessEndTest, AFileSizeLimitFailsTheSnapshotNotTheProgram) {
  QProcess child;
  child.setChildProcessModifier([] {
    const rlimit limit{40 * 1024, 40 * 1024};  // ulimit -f 40; a 160 x 120 BMP is 57 KB
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  child.start(RECORDING_CHILD, {"snapshot", pathOf("big.bmp")});
  ASSERT_TRUE(child.waitForFinished(60000));
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_TRUE(child.readAllStandardOutput().contains("File too large"));
  EXPECT_TRUE(folderEntries().isEmpty()) << folderEntries().join(' ').toStdString();
}

}  // namespace
}  // namespace tavro

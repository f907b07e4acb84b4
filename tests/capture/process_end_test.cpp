// The end of a recording process: signals and exit() (the display lost) finish
// the file; after SIGKILL the next recording keeps it; a size limit fails a snapshot only.

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
  const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
  const qsizetype at = text.indexOf("SigCgt:");
  return at >= 0 && (text.mid(at + 7, 18).trimmed().toULongLong(nullptr, 16) & (1u << (SIGTERM - 1)));
}

TEST_F(ProcessEndTest, SignalsAndExitFinishTheRecordingAndAKilledOneIsKeptLater) {
  const struct { bool window; const char* mode; int signal, status; } cases[] = {
      {false, "record", SIGTERM, 0}, {false, "record", SIGHUP, 0},   {false, "record", SIGINT, 0},
      {false, "exit", 0, 3},         {false, "record", SIGKILL, -1}, {true, "--camera", SIGTERM, 0}};
  for (const auto& [window, mode, signal, status] : cases) {
    const QString name = QStringLiteral("%1-%2.avi").arg(mode).arg(signal);
    QProcess child;
    child.start(window ? TAVRO_CAM : RECORDING_CHILD, {mode, window ? "test" : pathOf(name)});
    const auto hidden = [&] { return QDir(folder_.path()).entryInfoList({".tavro-rec-*"}, QDir::Hidden | QDir::Files); };
    const auto recording = [&] { return window || (!hidden().isEmpty() && hidden()[0].size() > 30000); };
    ASSERT_TRUE(testing::runEventsUntil([&] { return catchesSignals(child.processId()) && recording(); }, 60s))
        << qPrintable(name);
    const qint64 written = window ? 0 : hidden()[0].size();
    if (signal != 0) ::kill(pid_t(child.processId()), signal);
    ASSERT_TRUE(child.waitForFinished(60000)) << qPrintable(name);
    EXPECT_EQ(child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1, status) << qPrintable(name);
    if (window) continue;
    if (signal == SIGKILL) {
      ezVidCap next;
      QStringList told;
      QObject::connect(&next, &ezVidCap::recordingNotice, [&](const QString& m) { told << m; });
      next.setRecordFileName(pathOf("next.avi"));
      next.StartRecording();
      testing::stopRecordingAndWait(next);
      const QString kept = pathOf("record-9 (unfinished).avi");
      EXPECT_TRUE(told.size() == 1 && told[0].endsWith(" seconds) was found and kept as " + kept))
          << qPrintable(told.join(' '));
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
  static const rlimit limit{40960, 40960};  // ulimit -f 40; a 160 x 120 BMP is 57 KB
  child.setChildProcessModifier([] { setrlimit(RLIMIT_FSIZE, &limit); });
  child.start(RECORDING_CHILD, {"snapshot", pathOf("big.bmp")});
  ASSERT_TRUE(child.waitForFinished(60000));
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
  EXPECT_TRUE(child.readAllStandardOutput().contains("File too large"));
  EXPECT_TRUE(folderEntries().isEmpty()) << folderEntries().join(' ').toStdString();
}

}  // namespace
}  // namespace tavro

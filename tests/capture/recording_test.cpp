#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QPushButton>
#include <thread>

#include "capture/ez_vid_cap.h"
#include "tests/capture/fake_source.h"
#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using namespace std::chrono_literals;
using testing::platformErrorOf;
using testing::playBack;
using testing::runEventsFor;
using testing::stopRecordingAndWait;

using RecordingTest = testing::CaptureTest;

// One second at 30 frames a second, with room for a slow, shared machine;
// whatever came, it plays for about the second it was recorded.
void expectAboutOneSecond(const testing::PlayedVideo& video) {
  ASSERT_TRUE(video.opened);
  EXPECT_GE(video.frames, 15);
  EXPECT_LE(video.frames, 60);
  EXPECT_EQ(video.width, 160);
  EXPECT_EQ(video.height, 120);
  EXPECT_NEAR(video.frames / video.framesPerSecond, 1.0, 0.25);
}

TEST_F(RecordingTest, OneSecondRecordingPlaysBack) {
  ezVidCap control;
  const QString path = pathOf("clip.avi");
  control.setRecordFileName(path);
  control.StartRecording();
  EXPECT_TRUE(control.isRecording());
  runEventsFor(1s);
  stopRecordingAndWait(control);
  EXPECT_FALSE(control.isRecording());
  expectAboutOneSecond(playBack(path));
}

// A recording never overwrites the snapshot of the same name, and the
// message at the end names the file it went to.
TEST_F(RecordingTest, NamesGetAnAviSuffixAndTheSummaryNamesTheFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"TavroTEST.BMP", "TavroTEST.BMP.avi"}, {"clip.AVI", "clip.AVI"}, {"clip", "clip.avi"}};
  for (const auto& [typed, written] : cases) {
    ezVidCap control;
    std::vector<RecordingSummary> saved;
    QObject::connect(&control, &ezVidCap::recordingSaved, [&](const RecordingSummary& s) { saved.push_back(s); });
    control.WriteFrameFile(pathOf(typed));
    control.setRecordFileName(pathOf(typed));
    control.StartRecording();
    runEventsFor(1s);
    stopRecordingAndWait(control);
    expectAboutOneSecond(playBack(pathOf(written)));
    ASSERT_TRUE(saved.size() == 1 && saved[0].path == pathOf(written)) << typed;
    EXPECT_EQ(saved[0].message, QStringLiteral("Recording saved as %1: %2 frames, %3 seconds").arg(pathOf(written))
                                    .arg(saved[0].framesWritten).arg(saved[0].seconds, 0, 'f', 1).toStdString());
    EXPECT_EQ(QImage(pathOf(typed)).isNull(), QString(typed) == written) << typed;  // the snapshot stays
  }
}

TEST_F(RecordingTest, StartWhileRecordingAndStopWithoutRecordingAreHarmless) {
  ezVidCap control;
  EXPECT_NO_THROW(control.StopRecording());
  const QString first = pathOf("first.avi");
  control.setRecordFileName(first);
  control.StartRecording();
  control.setRecordFileName(pathOf("second.avi"));  // for the next recording only
  EXPECT_NO_THROW(control.StartRecording());
  runEventsFor(1s);
  stopRecordingAndWait(control);
  EXPECT_NO_THROW(control.StopRecording());
  expectAboutOneSecond(playBack(first));
  EXPECT_EQ(folderEntries(), QStringList{"first.avi"});
}

TEST_F(RecordingTest, NoNameOrUnwritablePathIsAnError) {
  ezVidCap control;
  EXPECT_EQ(platformErrorOf([&] { control.StartRecording(); }), "No file name set for the recording");
  const QString path = pathOf("missing/clip.avi");
  control.setRecordFileName(path);
  const std::string message = platformErrorOf([&] { control.StartRecording(); });
  EXPECT_NE(message.find("Cannot write the recording file " + path.toStdString()), std::string::npos) << message;
  EXPECT_FALSE(control.isRecording());
  EXPECT_NO_THROW(control.StopRecording());
}

TEST_F(RecordingTest, DestroyingTheControlWhileRecordingLeavesAPlayableFile) {
  const QString path = pathOf("closing.avi");
  {
    ezVidCap control;
    control.setLiveView(true);
    control.setRecordFileName(path);
    control.StartRecording();
    runEventsFor(1s);
  }
  expectAboutOneSecond(playBack(path));
  EXPECT_EQ(folderEntries(), QStringList{"closing.avi"});
}

TEST_F(RecordingTest, SnapshotsDuringARecordingLeaveItWhole) {
  ezVidCap control;
  const QString path = pathOf("clip.avi");
  control.setRecordFileName(path);
  control.StartRecording();
  runEventsFor(300ms);
  control.WriteFrameFile(pathOf("during.jpg"));
  EXPECT_FALSE(platformErrorOf([&] { control.WriteFrameFile(pathOf("missing/x.bmp")); }).empty());
  // The recording's own name would be overwritten when it ends: refused.
  const std::string message = platformErrorOf([&] { control.WriteFrameFile(path); });
  EXPECT_NE(message.find("a recording to that file is running"), std::string::npos) << message;
  // The same file through a link to its folder, as well.
  ASSERT_TRUE(QFile::link(folder_.path(), pathOf("alias")));
  EXPECT_NE(platformErrorOf([&] { control.WriteFrameFile(pathOf("alias/clip.avi")); }).find("is running"),
            std::string::npos);
  runEventsFor(700ms);
  EXPECT_TRUE(control.isRecording());
  stopRecordingAndWait(control);
  expectAboutOneSecond(playBack(path));
  EXPECT_EQ(QImage(pathOf("during.jpg")).size(), QSize(160, 120));
}

TEST_F(RecordingTest, EscapeAnywhereInTheWindowStopsTheRecording) {
  QWidget window;
  auto* control = new ezVidCap(&window);
  auto* button = new QPushButton(QStringLiteral("elsewhere"), &window);
  QWidget otherWindow;
  const QString path = pathOf("esc.avi");
  control->setRecordFileName(path);
  control->StartRecording();
  runEventsFor(500ms);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&otherWindow, &escape);  // another window's key
  EXPECT_TRUE(control->isRecording());
  QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &other);
  EXPECT_TRUE(control->isRecording());
  QCoreApplication::sendEvent(button, &escape);  // the focus need not be on the control
  EXPECT_FALSE(control->isRecording());
  EXPECT_TRUE(testing::runEventsUntil([&] { return !control->isFinishingRecording(); }, 30s));
  EXPECT_TRUE(playBack(path).opened);
  EXPECT_NO_THROW(control->StopRecording());  // nothing running: nothing happens
}

// Writes wait while the disk is stalled, as on a frozen file system.
struct StallingFile : FileBytes {
  struct Disk : testing::Gate { std::atomic<bool> stalled{false}; };
  StallingFile(int fd, std::shared_ptr<Disk> disk) : FileBytes(fd), disk(std::move(disk)) {}
  int writeAt(std::uint64_t offset, const QByteArray& bytes) override {
    if (disk->stalled) disk->passed.wait();
    return FileBytes::writeAt(offset, bytes);
  }
  std::shared_ptr<Disk> disk;
};

TEST_F(RecordingTest, AStalledDiskHoldsNeitherStoppingNorClosingForLong) {
  auto disk = std::make_shared<StallingFile::Disk>();
  CaptureOptions options;
  options.recorder.fileBytes = [=](int fd) { return std::make_unique<StallingFile>(fd, disk); };
  options.finishWait = 300ms;  // 10 s in use
  auto control = std::make_unique<ezVidCap>(testing::fakeCamera(), nullptr, options);
  control->setRecordFileName(pathOf("stalled.avi"));
  control->StartRecording();
  runEventsFor(300ms);
  disk->stalled = true;
  control->StopRecording();  // returns while the file waits for the disk
  runEventsFor(300ms);
  EXPECT_TRUE(control->isFinishingRecording());
  ::testing::internal::CaptureStderr();
  control.reset();
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(told.find("could not be finished in time; its frames are in the hidden file " +
                      folder_.path().toStdString() + "/.tavro-rec-"), std::string::npos) << told;
  // The disk answers at last: the file is finished under its name all the same.
  disk->opened.set_value();
  EXPECT_TRUE(testing::runEventsUntil([] { return captureThreadsLeftRunning() == 0; }, 30s));
  EXPECT_GT(playBack(pathOf("stalled.avi")).frames, 0);
}

// Waits without letting queued calls arrive, as while a command runs.
bool stoppedWithoutEvents(const ezVidCap& control) {
  const auto end = std::chrono::steady_clock::now() + 30s;
  while (control.isRecording()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST_F(RecordingTest, CameraLostMidRecordingIsFinishedAtOnceAndReportedOnce) {
  ezVidCap control(testing::fakeCamera({.framesBeforeLoss = 20}));
  QStringList signalled;
  QObject::connect(&control, &ezVidCap::recordingFailed, [&](const QString& m) { signalled << m; });
  const QString path = pathOf("lost.avi");
  control.setRecordFileName(path);
  control.StartRecording();
  ASSERT_TRUE(testing::runEventsUntil([&] { return !signalled.isEmpty(); }, 30s));
  EXPECT_FALSE(control.isRecording());
  EXPECT_EQ(control.statusText(), "Camera lost: test picture");
  const std::string message = signalled.front().toStdString();
  EXPECT_EQ(message.rfind("Recording to " + path.toStdString() + " stopped: the camera stopped delivering frames; the ", 0),
            0u) << message;
  EXPECT_NE(message.find("frames) were kept in " + path.toStdString()), std::string::npos) << message;

  // Already finished under its name, before any click.
  const testing::PlayedVideo video = playBack(path);
  ASSERT_TRUE(video.opened);
  EXPECT_GE(video.frames, 1);
  EXPECT_LE(video.frames, 20);
  EXPECT_EQ(video.width, 64);
  EXPECT_NO_THROW(control.StopRecording());
  runEventsFor(200ms);
  EXPECT_EQ(signalled.size(), 1);

  // The test picture records from then on.
  control.StartRecording();
  runEventsFor(300ms);
  EXPECT_NO_THROW(stopRecordingAndWait(control));
}

// "Record " or Esc clicked before the failure's own report arrived: the
// failure is told once; the next "Record " starts a new recording.
TEST_F(RecordingTest, AFailureIsReportedOnceWhateverComesFirst) {
  for (const bool record : {true, false}) {
    ezVidCap control(testing::fakeCamera({.framesBeforeLoss = 10}));
    QStringList signalled;
    QObject::connect(&control, &ezVidCap::recordingFailed, [&](const QString& m) { signalled << m; });
    control.setRecordFileName(pathOf("a.avi"));
    control.StartRecording();
    ASSERT_TRUE(stoppedWithoutEvents(control));
    record ? control.StartRecording() : control.StopRecording();
    stopRecordingAndWait(control);  // nothing runs: waits for the finishing
    control.StartRecording();
    EXPECT_TRUE(control.isRecording());
    stopRecordingAndWait(control);
    ASSERT_EQ(signalled.size(), 1) << record;
    EXPECT_NE(signalled[0].indexOf("camera stopped"), -1) << signalled[0].toStdString();
  }
}

}  // namespace
}  // namespace tavro

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>

#include "capture_fake_source.h"
#include "capture_test_support.h"
#include "platform/capture/ez_vid_cap.h"

namespace tavro {
namespace {

using namespace std::chrono_literals;
using testing::platformErrorOf;
using testing::playBack;
using testing::runEventsFor;

using RecordingTest = testing::CaptureTest;

// One second at 30 frames a second, with room for a slow, shared machine.
void expectAboutOneSecond(const testing::PlayedVideo& video) {
  ASSERT_TRUE(video.opened);
  EXPECT_GE(video.frames, 15);
  EXPECT_LE(video.frames, 60);
  EXPECT_EQ(video.width, 320);
  EXPECT_EQ(video.height, 240);
  EXPECT_DOUBLE_EQ(video.framesPerSecond, 30.0);
}

TEST_F(RecordingTest, OneSecondRecordingPlaysBack) {
  ezVidCap control;
  const QString path = pathOf("clip.avi");
  control.setRecordFileName(path);
  control.StartRecording();
  EXPECT_TRUE(control.isRecording());
  runEventsFor(1s);
  control.StopRecording();
  EXPECT_FALSE(control.isRecording());
  expectAboutOneSecond(playBack(path));
}

TEST_F(RecordingTest, DefaultNameWithBackslashAndBmpSuffixStillPlays) {
  ezVidCap control;
  QString typed = pathOf("TavroTEST.BMP");
  typed.replace('/', '\\');
  control.setRecordFileName(typed);
  control.StartRecording();
  runEventsFor(1s);
  control.StopRecording();
  expectAboutOneSecond(playBack(pathOf("TavroTEST.BMP")));
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
  control.StopRecording();
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
  runEventsFor(700ms);
  EXPECT_TRUE(control.isRecording());
  control.StopRecording();
  expectAboutOneSecond(playBack(path));
  EXPECT_EQ(QImage(pathOf("during.jpg")).size(), QSize(320, 240));
}

TEST_F(RecordingTest, EscapeKeyStopsTheRecording) {
  ezVidCap control;
  const QString path = pathOf("esc.avi");
  control.setRecordFileName(path);
  control.StartRecording();
  runEventsFor(500ms);
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(&control, &escape);
  EXPECT_FALSE(control.isRecording());
  EXPECT_TRUE(playBack(path).opened);
  EXPECT_NO_THROW(control.finishRecording());  // nothing running: nothing happens
}

TEST_F(RecordingTest, CameraLostMidRecordingIsReportedAndKeepsTheFramesBefore) {
  ezVidCap control(std::make_unique<testing::FakeSource>(testing::FakeScript{.framesBeforeLoss = 20}));
  QStringList signalled;
  QObject::connect(&control, &ezVidCap::recordingFailed, [&](const QString& m) { signalled << m; });
  const QString path = pathOf("lost.avi");
  control.setRecordFileName(path);
  control.StartRecording();
  ASSERT_TRUE(testing::runEventsUntil([&] { return !signalled.isEmpty(); }, 5s));
  EXPECT_FALSE(control.isRecording());
  EXPECT_EQ(control.statusText(), "Camera lost: test picture");
  EXPECT_EQ(signalled.front().toStdString(),
            "Recording to " + path.toStdString() + " stopped: the camera stopped delivering frames");

  const std::string message = platformErrorOf([&] { control.StopRecording(); });
  EXPECT_NE(message.find("the camera stopped delivering frames"), std::string::npos) << message;
  const testing::PlayedVideo video = playBack(path);
  ASSERT_TRUE(video.opened);
  EXPECT_GE(video.frames, 1);
  EXPECT_LE(video.frames, 20);
  EXPECT_EQ(video.width, 64);

  // Reported once; the test picture records from then on.
  control.StartRecording();
  runEventsFor(300ms);
  EXPECT_NO_THROW(control.StopRecording());
}

TEST_F(RecordingTest, EarlierFailureIsReportedByTheNextStart) {
  ezVidCap control(std::make_unique<testing::FakeSource>(testing::FakeScript{.framesBeforeLoss = 10}));
  bool failed = false;
  QObject::connect(&control, &ezVidCap::recordingFailed, [&] { failed = true; });
  control.setRecordFileName(pathOf("a.avi"));
  control.StartRecording();
  ASSERT_TRUE(testing::runEventsUntil([&] { return failed; }, 5s));
  EXPECT_NE(platformErrorOf([&] { control.StartRecording(); }).find("camera stopped"), std::string::npos);
  EXPECT_FALSE(control.isRecording());
  control.StartRecording();  // now a new one starts
  EXPECT_TRUE(control.isRecording());
  runEventsFor(200ms);
  control.StopRecording();
}

TEST_F(RecordingTest, FinishRecordingSignalsAFailureInsteadOfThrowing) {
  ezVidCap control(std::make_unique<testing::FakeSource>(testing::FakeScript{.framesBeforeLoss = 5}));
  QStringList signalled;
  QObject::connect(&control, &ezVidCap::recordingFailed, [&](const QString& m) { signalled << m; });
  control.setRecordFileName(pathOf("b.avi"));
  control.StartRecording();
  ASSERT_TRUE(testing::runEventsUntil([&] { return !signalled.isEmpty(); }, 5s));
  EXPECT_NO_THROW(control.finishRecording());
  ASSERT_EQ(signalled.size(), 2);
  EXPECT_NE(signalled[1].indexOf("frames before were saved"), -1) << signalled[1].toStdString();
}

}  // namespace
}  // namespace tavro

// The capture control with a missing, lost or blocking camera: face files
// only from a camera, closing within two seconds, the camera let go when
// nothing needs it, recordings that play at the rate their frames came, and
// a face guide that stays off the pictures.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>

#include "capture/ez_vid_cap.h"
#include "capture/frame_grabber.h"
#include "capture/video_recorder.h"
#include "tests/capture/fake_source.h"
#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using namespace std::chrono_literals;
using namespace testing;
using Clock = std::chrono::steady_clock;
using CaptureLifecycleTest = CaptureTest;

std::function<SourceChoice()> chosen(const char* setting) {
  return [setting] { return chooseSource(parseCameraSetting(setting), {}); };
}

TEST_F(CaptureLifecycleTest, FaceFilesComeOnlyFromACameraOrATestPictureAskedFor) {
  const struct { const char* name; std::function<SourceChoice()> source; bool lost, written; } cases[] = {
      {"camera", fakeCamera(), false, true},
      {"test picture asked for", chosen("test"), false, true},
      {"no camera", chosen(""), false, false},
      {"setting not understood", chosen("front"), false, false},
      {"camera that does not open", fakeCamera({.opens = false}), false, false},
      {"camera lost", fakeCamera({.framesBeforeLoss = 3}), true, false},
  };
  for (const auto& [name, source, lost, written] : cases) {
    ezVidCap control(source);
    control.setLiveView(true);
    const auto isLost = [&] { return control.statusText() == "Camera lost: test picture"; };
    ASSERT_TRUE(!lost || runEventsUntil(isLost, 30s)) << name;
    const QString face = pathOf(QString("face19a-%1.jpg").arg(name));
    EXPECT_EQ(control.WriteCameraFrameFile(face), written) << name;
    EXPECT_EQ(QFileInfo(face).isFile(), written) << name;
    control.WriteFrameFile(pathOf("any.bmp"));  // any snapshot may show the test picture
  }
}

TEST_F(CaptureLifecycleTest, ClosesWithinTwoSecondsWhateverTheCameraDoes) {
  const struct { const char* name; FakeScript script; bool recording; } cases[] = {
      {"blocks in open", {.blocksInOpen = true}, false},
      {"blocks in read", {.framesBeforeBlocking = 3}, false},
      {"blocks in read while recording", {.framesBeforeBlocking = 10}, true},
  };
  for (const auto& [name, script, recording] : cases) {
    auto control = std::make_unique<ezVidCap>(fakeCamera(script));
    control->setLiveView(true);
    if (recording) {
      control->setRecordFileName(pathOf("closing.avi"));
      control->StartRecording();
    }
    runEventsFor(600ms);  // blocked by now
    // The camera answers only once the gate opens below; the bound holds on a slow, busy machine.
    const auto start = Clock::now();
    control.reset();
    EXPECT_LT(Clock::now() - start, 10s) << name;
    // The driver answers at last: what was left behind ends on its own.
    script.gate->opened.set_value();
    EXPECT_TRUE(runEventsUntil([&] { return captureThreadsLeftRunning() == 0 && script.counts->alive == 0; }, 30s))
        << name;
  }
}

TEST_F(CaptureLifecycleTest, LetsTheCameraGoWhenNothingNeedsItAndOpensItAgain) {
  const FakeScript script;
  ezVidCap control(fakeCamera(script));
  control.setRecordFileName(pathOf("clip.avi"));
  // The camera stays open from use to end.
  const struct { const char* name; std::function<void()> use, end; } uses[] = {
      {"preview", [&] { control.setLiveView(true); }, [&] { control.setLiveView(false); }},
      {"recording", [&] { control.StartRecording(); }, [&] { control.StopRecording(); }},
      {"snapshot", [] {}, [&] { control.WriteFrameFile(pathOf("a.bmp")); }},
  };
  int opened = 0;
  for (const auto& [name, use, end] : uses) {
    use();
    const bool opens = name != std::string("snapshot");
    EXPECT_TRUE(!opens || runEventsUntil([&] { return script.counts->alive == 1; }, 30s)) << name;
    runEventsFor(1500ms);
    EXPECT_EQ(script.counts->alive, name == std::string("snapshot") ? 0 : 1) << name;
    end();
    EXPECT_EQ(script.counts->opened, ++opened) << name;
    EXPECT_TRUE(runEventsUntil([&] { return script.counts->alive == 0; }, 30s)) << name;
  }
}

TEST_F(CaptureLifecycleTest, RecordingPlaysAtTheRateItsFramesCameAt) {
  // Seconds between frames from a camera that claims 30 a second.
  const struct { const char* name; double interval; int frames; std::size_t queue; } cases[] = {
      {"as fast as it claims", 1 / 30.0, 45, 90},
      {"slower than it claims", 0.08, 20, 90},
      {"writing falls behind", 1 / 30.0, 60, 2},
  };
  for (const auto& [name, interval, frames, queue] : cases) {
    const QString path = pathOf(QString("%1.avi").arg(name));
    VideoRecorder recorder(path, 30.0, {320, 240}, {}, {.maxQueuedFrames = queue});
    const cv::Mat frame(240, 320, CV_8UC3, cv::Scalar(40, 80, 120));
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i)
      recorder.push(frame, start + std::chrono::duration_cast<Clock::duration>(i * interval * 1s));
    const RecordingSummary summary = recorder.finish();
    EXPECT_EQ(summary.framesWritten + summary.framesDropped, std::uint64_t(frames)) << name;
    EXPECT_EQ(summary.framesDropped > 0, queue < std::size_t(frames)) << name;
    // The frames written fill the time all frames came over; within 1% the
    // camera's own rate stays.
    const double measured = double(summary.framesWritten) / (frames * interval);
    const double expected = std::abs(measured - 30) <= 0.3 ? 30 : measured;
    EXPECT_NEAR(summary.framesPerSecond, expected, 1e-3) << name;
    const PlayedVideo video = playBack(path);
    EXPECT_EQ(video.frames, int(summary.framesWritten)) << name;
    EXPECT_NEAR(video.framesPerSecond, expected, 1e-3) << name;
    const std::string dropped = "; " + std::to_string(summary.framesDropped) + " frame";
    EXPECT_EQ(summary.message.find(dropped) != std::string::npos, summary.framesDropped > 0) << summary.message;
    EXPECT_EQ(summary.end == RecordingSummary::End::SavedWithNote, summary.framesDropped > 0) << name;
  }
}

// A camera brightens as its exposure adjusts: a snapshot after opening takes
// the frame about as bright (2%) as the one before, or the one a second in.
// The fake stops at the given frame; the clock ticks 100 ms a frame.
TEST_F(CaptureLifecycleTest, ASnapshotAfterOpeningWaitsForThePictureToSettle) {
  const struct { const char* name; double (*grey)(int); int frames, expected; } cases[] = {
      {"brightens, then settles", [](int i) { return i < 3 ? 10.0 + 40 * i : 117.0 + i; }, 5, 121},
      {"keeps brightening: a second at most", [](int i) { return 10.0 + 10 * i; }, 11, 110},
      {"settled from the start: the second frame", [](int i) { return 100.0 + i; }, 2, 101},
  };
  for (const auto& [name, grey, frames, expected] : cases) {
    const FakeScript script{.grey = grey, .framesBeforeBlocking = frames};
    CaptureOptions options;
    auto ticks = std::make_shared<std::atomic<int>>(0);
    options.grabber.clock = [ticks] { return Clock::time_point() + 100ms * (*ticks)++; };
    auto control = std::make_unique<ezVidCap>(fakeCamera(script), nullptr, options);
    control->WriteFrameFile(pathOf("settled.bmp"));  // the preview is off: the camera opens now
    EXPECT_EQ(qRed(QImage(pathOf("settled.bmp")).pixel(10, 10)), expected) << name;
    control.reset();
    script.gate->opened.set_value();
    EXPECT_TRUE(runEventsUntil([] { return captureThreadsLeftRunning() == 0; }, 5s)) << name;
  }
}

TEST_F(CaptureLifecycleTest, SnapshotIsTheSourcePictureWhileTheGuideIsDrawn) {
  ezVidCap control(fakeCamera({.size = {160, 120}}));
  control.resize(160, 120);
  control.setFaceGuide([](const QImage&) { return QRect(0, 0, 101, 101); });
  control.show();
  control.setLiveView(true);
  ASSERT_TRUE(runEventsUntil([&] { return control.framesShown() >= 3; }, 30s));
  const QColor camera(30, 200, 10);  // the fake's BGR (10, 200, 30)
  const QImage shown = control.grab().toImage();
  EXPECT_NE(shown.pixelColor(101, 50), camera);  // the guide on the preview
  EXPECT_EQ(shown.pixelColor(130, 50), camera);
  control.WriteFrameFile(pathOf("snapshot.bmp"));
  QImage delivered(160, 120, QImage::Format_RGB888);
  delivered.fill(camera);
  EXPECT_EQ(QImage(pathOf("snapshot.bmp")).convertToFormat(QImage::Format_RGB888), delivered);
  int asked = 0;  // a part found in frames is outlined where it lies, looked for every few frames
  control.setFaceGuide([&asked](const QImage& frame) { return ++asked, QRect(40, 30, frame.width() / 2, 50); });
  const std::uint64_t shownBefore = control.framesShown();
  ASSERT_TRUE(runEventsUntil([&] { return control.framesShown() >= shownBefore + 9; }, 30s));
  EXPECT_NEAR(asked, (control.framesShown() - shownBefore) / ezVidCap::kFaceGuideInterval, 1.0);
  const QImage outlined = control.grab().toImage();
  EXPECT_TRUE(outlined.pixelColor(40, 50) != camera && outlined.pixelColor(120, 79) != camera);
  EXPECT_EQ(outlined.pixelColor(101, 50), camera);  // the corner's outline is gone
}

}  // namespace
}  // namespace tavro

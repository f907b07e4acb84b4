#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "capture/ez_vid_cap.h"
#include "tests/capture/fake_source.h"
#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using namespace std::chrono_literals;

using CaptureWidgetTest = testing::CaptureTest;
using testing::runEventsFor;

const QColor kNeutral(30, 30, 30);

TEST_F(CaptureWidgetTest, StartsSmallWithPreviewOffAndNoSourceOpen) {
  ezVidCap control;
  EXPECT_EQ(control.sizeHint(), QSize(160, 120));
  EXPECT_FALSE(control.liveView());
  EXPECT_FALSE(control.isRecording());
  EXPECT_EQ(control.statusText(), "");  // opened on first need only
}

TEST_F(CaptureWidgetTest, PreviewOffShowsTheNeutralArea) {
  ezVidCap control;
  control.resize(160, 120);
  control.WriteFrameFile(pathOf("x.bmp"));  // source open, preview still off
  EXPECT_EQ(control.statusText(), "Test picture, as asked for");
  const QImage shown = control.grab().toImage();
  EXPECT_EQ(shown.pixelColor(1, 1), kNeutral);
  EXPECT_EQ(shown.pixelColor(158, 118), kNeutral);
}

TEST_F(CaptureWidgetTest, PreviewOnShowsFramesAndOffStopsShowingThem) {
  ezVidCap control(testing::fakeCamera({.size = {32, 24}}));
  control.resize(160, 120);
  control.show();
  control.setLiveView(true);
  ASSERT_TRUE(testing::runEventsUntil([&] { return control.framesShown() >= 5; }, 30s));
  EXPECT_EQ(control.statusText(), "Fake camera");
  const QImage live = control.grab().toImage();
  EXPECT_EQ(live.pixelColor(80, 60), QColor(30, 200, 10));  // the fake's BGR (10, 200, 30)

  control.setLiveView(false);
  runEventsFor(200ms);
  const std::uint64_t shown = control.framesShown();
  runEventsFor(300ms);
  EXPECT_EQ(control.framesShown(), shown);
  EXPECT_EQ(control.grab().toImage().pixelColor(80, 60), kNeutral);
}

TEST_F(CaptureWidgetTest, SettingNotUnderstoodFallsBackAndSaysSo) {
  qputenv("TAVRO_CAMERA", "front");
  ezVidCap control;
  control.WriteFrameFile(pathOf("x.bmp"));
  EXPECT_EQ(control.statusText(), "TAVRO_CAMERA=front not understood: test picture");
}

TEST_F(CaptureWidgetTest, MissingCameraFallsBackAndSaysSo) {
  qputenv("TAVRO_CAMERA", "/dev/video97");
  ezVidCap control;
  control.WriteFrameFile(pathOf("x.jpg"));
  EXPECT_EQ(control.statusText(), "Camera /dev/video97 not available: test picture");
  EXPECT_EQ(QImage(pathOf("x.jpg")).size(), QSize(160, 120));
}

TEST_F(CaptureWidgetTest, LiveViewCanBeSwitchedAnyNumberOfTimes) {
  ezVidCap control;
  control.show();
  for (int i = 0; i < 5; ++i) {
    control.setLiveView(true);
    control.setLiveView(true);
    control.setLiveView(false);
  }
  control.setLiveView(true);
  EXPECT_TRUE(control.liveView());
  ASSERT_TRUE(testing::runEventsUntil([&] { return control.framesShown() >= 3; }, 30s));
}

}  // namespace
}  // namespace tavro

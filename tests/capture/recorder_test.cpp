#include "capture/video_recorder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <limits>

#include <QFile>
#include <opencv2/core.hpp>

#include "tests/capture/test_support.h"

namespace tavro {
namespace {

using testing::platformErrorOf;
using testing::playBack;

class VideoRecorderTest : public testing::CaptureTest {
 protected:
  static cv::Mat frameOf(int shade, cv::Size size = {320, 240}) {
    return cv::Mat(size, CV_8UC3, cv::Scalar(shade, 255 - shade, 128));
  }
  // Frames as a 30 frames a second camera delivers them.
  static void pushFrames(VideoRecorder& recorder, int count) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
      recorder.push(frameOf(i * 5 % 256), start + i * std::chrono::microseconds(33333));
  }
};

TEST_F(VideoRecorderTest, EveryPushedFrameIsInThePlayableFile) {
  const QString path = pathOf("clip.avi");
  VideoRecorder recorder(path, 30.0, {320, 240});
  pushFrames(recorder, 45);
  recorder.finish();
  EXPECT_EQ(recorder.framesWritten(), 45u);
  EXPECT_EQ(recorder.framesDropped(), 0u);
  const testing::PlayedVideo video = playBack(path);
  ASSERT_TRUE(video.opened);
  EXPECT_EQ(video.frames, 45);
  EXPECT_EQ(video.width, 320);
  EXPECT_EQ(video.height, 240);
  EXPECT_DOUBLE_EQ(video.framesPerSecond, 30.0);
}

TEST_F(VideoRecorderTest, FramesOfAnotherSizeAreFitted) {
  const QString path = pathOf("fit.avi");
  VideoRecorder recorder(path, 25.0, {160, 120});
  recorder.push(frameOf(10, {640, 480}), std::chrono::steady_clock::now());
  recorder.push(frameOf(20, {160, 120}), std::chrono::steady_clock::now());
  recorder.finish();
  const testing::PlayedVideo video = playBack(path);
  EXPECT_EQ(video.frames, 2);
  EXPECT_EQ(video.width, 160);
  EXPECT_EQ(video.height, 120);
}

TEST_F(VideoRecorderTest, OlderFileOfThatNameIsReplacedOnlyAtTheEnd) {
  const QString path = pathOf("old.avi");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("older content");
  old.close();
  VideoRecorder recorder(path, 30.0, {320, 240});
  pushFrames(recorder, 3);
  EXPECT_EQ(QFile(path).size(), qint64(13));  // untouched while recording
  recorder.finish();
  EXPECT_EQ(playBack(path).frames, 3);
}

TEST_F(VideoRecorderTest, UnwritablePlacesAreErrorsNamingTheFile) {
  QFile plain(pathOf("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const QString underAFile = pathOf("plain/clip.avi");
  const std::string message = platformErrorOf([&] { VideoRecorder recorder(underAFile, 30.0, {320, 240}); });
  EXPECT_NE(message.find(underAFile.toStdString()), std::string::npos) << message;

  const QString missingFolder = pathOf("missing/clip.avi");
  EXPECT_FALSE(platformErrorOf([&] { VideoRecorder recorder(missingFolder, 30.0, {320, 240}); }).empty());
  EXPECT_EQ(folderEntries(), QStringList{"plain"});
}

TEST_F(VideoRecorderTest, FolderOrEmptyNameIsNeverATarget) {
  ASSERT_TRUE(QDir(folder_.path()).mkdir("sub"));
  const std::string message = platformErrorOf([&] { VideoRecorder recorder(pathOf("sub"), 30.0, {320, 240}); });
  EXPECT_NE(message.find("not an ordinary file"), std::string::npos) << message;
  EXPECT_FALSE(platformErrorOf([&] { VideoRecorder recorder("", 30.0, {320, 240}); }).empty());
  EXPECT_FALSE(platformErrorOf([&] { VideoRecorder recorder(pathOf("x.avi"), 30.0, {0, 0}); }).empty());
  EXPECT_TRUE(QFileInfo(pathOf("sub")).isDir());
}

TEST_F(VideoRecorderTest, LostSourceEndsTheRecordingButKeepsWhatCameBefore) {
  const QString path = pathOf("lost.avi");
  std::vector<std::string> told;
  VideoRecorder recorder(path, 30.0, {320, 240}, [&](const std::string& m) { told.push_back(m); });
  pushFrames(recorder, 8);
  // The grabber tells the loss after the frames it delivered.
  testing::runEventsUntil([&] { return recorder.framesWritten() == 8; }, std::chrono::seconds(30));
  recorder.sourceLost("the camera stopped delivering frames");
  recorder.push(frameOf(1), std::chrono::steady_clock::now());  // ignored once failed
  EXPECT_TRUE(recorder.failed());
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], "Recording to " + path.toStdString() + " stopped: the camera stopped delivering frames");
  const std::string message = platformErrorOf([&] { recorder.finish(); });
  EXPECT_NE(message.find("camera stopped delivering frames"), std::string::npos) << message;
  EXPECT_NE(message.find("the 8 frames before were saved"), std::string::npos) << message;
  EXPECT_EQ(playBack(path).frames, 8);
}

TEST_F(VideoRecorderTest, NearlyFullDiskStopsTheRecordingWhileItStillPlays) {
  const QString path = pathOf("full.avi");
  RecorderOptions options;
  options.minimumFreeBytes = std::numeric_limits<std::uintmax_t>::max();
  VideoRecorder recorder(path, 30.0, {320, 240}, {}, options);
  pushFrames(recorder, 60);
  const std::string message = platformErrorOf([&] { recorder.finish(); });
  EXPECT_NE(message.find("the disk is full"), std::string::npos) << message;
  EXPECT_EQ(playBack(path).frames, 30);  // the space is checked every 30 frames
}

// The file size limit makes every write past it fail, as a full disk does.
TEST_F(VideoRecorderTest, FailedWritesLeaveNoBrokenFileAndAreReported) {
  const QString path = pathOf("broken.avi");
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  std::string message;
  {
    VideoRecorder recorder(path, 30.0, {320, 240});
    cv::Mat noise(240, 320, CV_8UC3);
    for (int i = 0; i < 40; ++i) {
      cv::randu(noise, 0, 256);
      recorder.push(noise.clone(), std::chrono::steady_clock::now());
    }
    message = platformErrorOf([&] { recorder.finish(); });
  }
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_NE(message.find("could not be completed"), std::string::npos) << message;
  EXPECT_TRUE(folderEntries().isEmpty()) << folderEntries().join(",").toStdString();
}

}  // namespace
}  // namespace tavro

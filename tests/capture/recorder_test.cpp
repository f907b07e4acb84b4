#include "capture/video_recorder.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>

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
  const std::string message = recorder.finish().message;
  EXPECT_NE(message.find("camera stopped delivering frames"), std::string::npos) << message;
  EXPECT_NE(message.find("the first 0.3 seconds (8 frames) were kept in " + path.toStdString()), std::string::npos)
      << message;
  EXPECT_EQ(playBack(path).frames, 8);
}

// Fails each write past its room, as a full disk, a quota or a size limit does.
struct FillingFile : FileBytes {
  FillingFile(int fd, std::uint64_t room, int error) : FileBytes(fd), room(room), error(error) {}
  int writeAt(std::uint64_t offset, const QByteArray& bytes) override {
    if (offset + bytes.size() <= room) return FileBytes::writeAt(offset, bytes);
    if (offset < room) FileBytes::writeAt(offset, bytes.left(qsizetype(room - offset)));
    return error;
  }
  std::uint64_t room;
  int error;
};

TEST_F(VideoRecorderTest, NoRoomLeftStopsTheRecordingAndKeepsTheFramesBeforePlayable) {
  const auto record = [&](const char* name, std::uint64_t room, int error) {
    RecorderOptions options{.fileBytes = [=](int fd) { return std::make_unique<FillingFile>(fd, room, error); }};
    VideoRecorder recorder(pathOf(name), 30.0, {320, 240}, {}, options);
    pushFrames(recorder, 40);
    return recorder.finish();
  };
  record("whole.avi", ~0ull, 0);
  const std::uint64_t whole = QFileInfo(pathOf("whole.avi")).size();
  const struct { const char* name; std::uint64_t room; int error; const char* reason; } cases[] = {
      {"full.avi", whole / 2, ENOSPC, "stopped: the disk is full"},
      {"quota.avi", whole / 3, EDQUOT, "stopped: the disk quota is used up"},
      {"limit.avi", whole / 2, EFBIG, "(File too large)"},
      {"index.avi", whole - 10, ENOSPC, "stopped: the disk is full"},  // every frame but no index
  };
  for (const auto& [name, room, error, reason] : cases) {
    const RecordingSummary summary = record(name, room, error);
    const std::string kept = std::to_string(summary.framesWritten) + " frames) were kept in " + pathOf(name).toStdString();
    EXPECT_EQ(summary.end, RecordingSummary::End::Failed) << name;
    EXPECT_TRUE(summary.message.find(reason) != std::string::npos && summary.message.find(kept) != std::string::npos)
        << summary.message;
    EXPECT_TRUE(summary.framesWritten > 0 && summary.framesWritten < 40) << name;
    EXPECT_LE(QFileInfo(pathOf(name)).size(), qint64(room)) << name;
    EXPECT_EQ(playBack(pathOf(name)).frames, int(summary.framesWritten)) << name;
  }
  EXPECT_EQ(folderEntries().size(), 5);  // no hidden file left
}

// The file size limit makes every write past it fail, as a full disk does.
TEST_F(VideoRecorderTest, FailedWritesLeaveNoBrokenFileAndAreReported) {
  const QString path = pathOf("broken.avi");
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 300000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  RecordingSummary summary;
  {
    VideoRecorder recorder(path, 30.0, {320, 240});
    cv::Mat noise(240, 320, CV_8UC3);
    for (int i = 0; i < 40; ++i) {
      cv::randu(noise, 0, 256);
      recorder.push(noise.clone(), std::chrono::steady_clock::now());
    }
    summary = recorder.finish();
  }
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_NE(summary.message.find("(File too large); the first"), std::string::npos) << summary.message;
  EXPECT_EQ(playBack(path).frames, int(summary.framesWritten));
  EXPECT_EQ(folderEntries(), QStringList{"broken.avi"});
}

// As an editor: a file its user may not write is left alone, a replaced one
// keeps its mode, a new one has what the umask leaves of 0666. Names as long
// as the system allows work.
TEST_F(VideoRecorderTest, FilesKeepTheirProtectionAndAnyNameLengthWorks) {
  const mode_t umaskBefore = ::umask(027);
  const struct { std::string name; int mode; int after; } cases[] = {
      {"read-only.avi", 0444, 0444}, {"replaced.avi", 0604, 0604}, {"new.avi", -1, 0640},
      {std::string(251, 'n') + ".avi", -1, 0640}};
  for (const auto& [name, mode, after] : cases) {
    const QString path = pathOf(QString::fromStdString(name));
    ASSERT_TRUE(mode < 0 || (QFile(path).open(QIODevice::WriteOnly) && ::chmod(QFile::encodeName(path), mode) == 0));
    if (mode == 0444) {
      EXPECT_NE(platformErrorOf([&] { VideoRecorder r(path, 30.0, {320, 240}); }).find(": it is read-only"),
                std::string::npos);
    } else {
      VideoRecorder recorder(path, 30.0, {320, 240});
      pushFrames(recorder, 3);
      EXPECT_EQ(recorder.finish().end, RecordingSummary::End::Saved) << name;
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path), &info), 0) << name;
    EXPECT_EQ(int(info.st_mode & 0777), after) << name;
  }
  ::umask(umaskBefore);
  EXPECT_EQ(playBack(pathOf(QString(251, 'n') + ".avi")).frames, 3);
  EXPECT_EQ(QFileInfo(pathOf("read-only.avi")).size(), 0);
}

}  // namespace
}  // namespace tavro

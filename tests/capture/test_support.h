#pragma once
// Shared pieces of the capture control's tests: one QApplication for the
// process, the test picture forced, a scratch folder per test.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <opencv2/videoio.hpp>

#include "platform/errors.h"

namespace tavro::testing {

// The application lives from before the first test to after the last; it
// must go before the process's exit handlers tear Qt's own state down.
class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[14] = "capture_tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

// Lets queued calls from the worker threads arrive while time passes.
inline void runEventsFor(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

inline bool runEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    runEventsFor(std::chrono::milliseconds(10));
  }
  return true;
}

// Ends the control's recording; events come until its file is finished.
template <typename Control> void stopRecordingAndWait(Control& control) {
  control.StopRecording();
  EXPECT_TRUE(runEventsUntil([&] { return !control.isFinishingRecording(); }, std::chrono::seconds(30)));
  runEventsFor(std::chrono::milliseconds(20));  // the outcome's signals
}

struct PlayedVideo {
  bool opened = false;
  int frames = 0;  // frames actually decoded
  int width = 0;
  int height = 0;
  double framesPerSecond = 0;
};

// Plays the whole file back the way any OpenCV user would.
inline PlayedVideo playBack(const QString& path) {
  PlayedVideo result;
  cv::VideoCapture video(path.toStdString());
  result.opened = video.isOpened();
  if (!result.opened) return result;
  result.framesPerSecond = video.get(cv::CAP_PROP_FPS);
  cv::Mat frame;
  while (video.read(frame)) {
    ++result.frames;
    result.width = frame.cols;
    result.height = frame.rows;
  }
  return result;
}

// The message of the tavro::Error that f throws, failing the test when it
// throws none or one of another kind.
inline std::string platformErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), ErrorKind::Platform);
    return error.what();
  }
  ADD_FAILURE() << "no tavro::Error thrown";
  return {};
}

class CaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("TAVRO_CAMERA", "test");
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    ASSERT_TRUE(folder_.isValid());
  }

  QString pathOf(const QString& name) const { return folder_.filePath(name); }
  // Every entry of the scratch folder, hidden ones too.
  QStringList folderEntries() const {
    return QDir(folder_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir folder_;
};

}  // namespace tavro::testing

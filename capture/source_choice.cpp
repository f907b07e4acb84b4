#include "capture/source_choice.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <thread>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace tavro {

namespace {

constexpr std::string_view kDevicePrefix = "/dev/video";

bool isNumber(std::string_view text) {
  return !text.empty() && text.size() <= 4 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Frames leave here as 8-bit BGR whatever the driver hands out.
bool toBgr(cv::Mat& frame) {
  if (frame.empty() || frame.depth() != CV_8U) return false;
  switch (frame.channels()) {
    case 3: return true;
    case 1: cv::cvtColor(frame, frame, cv::COLOR_GRAY2BGR); return true;
    case 4: cv::cvtColor(frame, frame, cv::COLOR_BGRA2BGR); return true;
    default: return false;
  }
}

using Clock = std::chrono::steady_clock;

// Blue to orange from left to right, darker towards the bottom.
cv::Mat makeBackground(cv::Size size) {
  cv::Mat picture(size, CV_8UC3);
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const double across = size.width > 1 ? double(x) / (size.width - 1) : 0.0;
      const double down = size.height > 1 ? double(y) / (size.height - 1) : 0.0;
      const double light = 1.0 - 0.5 * down;
      picture.at<cv::Vec3b>(y, x) = cv::Vec3b(cv::saturate_cast<uchar>(200 * (1 - across) * light),
                                               cv::saturate_cast<uchar>(90 * light),
                                               cv::saturate_cast<uchar>(230 * across * light));
    }
  }
  return picture;
}

// Position 0..span that runs forth and back, one step per frame.
int bounce(std::uint64_t step, int span) {
  if (span <= 0) return 0;
  const std::uint64_t period = 2 * std::uint64_t(span);
  const auto phase = int(step % period);
  return phase <= span ? phase : int(period) - phase;
}

// A V4L2 camera named by its device path, asked for the control's picture size and fitted to it.
class CameraFrameSource : public FrameSource {
 public:
  explicit CameraFrameSource(std::string devicePath) : devicePath_(std::move(devicePath)) {}

  // A device node that opens but delivers nothing (a metadata node) is no camera: read the first frame.
  bool open() override {
    try {
      if (!capture_.open(devicePath_, cv::CAP_V4L2)) return false;
      // A request only: many cameras offer 160 x 120, the rest are fitted in read().
      capture_.set(cv::CAP_PROP_FRAME_WIDTH, kControlPictureSize.width);
      capture_.set(cv::CAP_PROP_FRAME_HEIGHT, kControlPictureSize.height);
      // Cameras report 0, negative or absurd rates at times; recordings need a sane one.
      const double reported = capture_.get(cv::CAP_PROP_FPS);
      rate_ = reported >= 1.0 && reported <= 120.0 ? reported : 30.0;
      cv::Mat first;
      return read(first);
    } catch (const cv::Exception&) {
      return false;
    }
  }

  bool read(cv::Mat& frame) override {
    try {
      cv::Mat fresh;
      if (!capture_.read(fresh) || !toBgr(fresh)) return false;
      frame = fitToControlPicture(fresh);
      return true;
    } catch (const cv::Exception&) {
      return false;
    }
  }

  double framesPerSecond() const override { return rate_; }
  std::string description() const override { return "Camera " + devicePath_; }

 private:
  std::string devicePath_;
  cv::VideoCapture capture_;
  double rate_ = 30.0;
};

}  // namespace

TestPictureSource::TestPictureSource(cv::Size size, double framesPerSecond)
    : size_(std::max(size.width, 16), std::max(size.height, 16)),
      rate_(framesPerSecond > 0 ? framesPerSecond : kDefaultRate) {}

bool TestPictureSource::open() {
  background_ = makeBackground(size_);
  frameNumber_ = 0;
  return true;
}

bool TestPictureSource::read(cv::Mat& frame) {
  if (background_.empty()) open();
  waitForFrameTime();
  frame = background_.clone();
  draw(frame);
  ++frameNumber_;
  return true;
}

// Frame n is due n periods after the first one; a late frame comes at once so
// the count keeps up, but after a long stall the clock starts afresh.
void TestPictureSource::waitForFrameTime() {
  const auto now = Clock::now();
  if (frameNumber_ == 0) {
    firstFrameTime_ = now;
    return;
  }
  const std::chrono::duration<double> offset(double(frameNumber_) / rate_);
  const auto due = firstFrameTime_ + std::chrono::duration_cast<Clock::duration>(offset);
  if (now - due > std::chrono::seconds(1)) {
    firstFrameTime_ = now - std::chrono::duration_cast<Clock::duration>(offset);
    return;
  }
  std::this_thread::sleep_until(due);
}

void TestPictureSource::draw(cv::Mat& frame) const {
  const int box = std::max(size_.height / 4, 4);
  const int x = bounce(frameNumber_ * 4, size_.width - box);
  const int y = bounce(frameNumber_ * 3, size_.height - box);
  cv::rectangle(frame, cv::Rect(x, y, box, box), cv::Scalar(255, 255, 255), cv::FILLED);
  cv::rectangle(frame, cv::Rect(x, y, box, box), cv::Scalar(0, 0, 0), 2);
  const double scale = std::max(size_.width / 320.0, 0.7);  // still legible at 160 x 120
  cv::putText(frame, "TEST " + std::to_string(frameNumber_), cv::Point(6, size_.height - 8),
              cv::FONT_HERSHEY_SIMPLEX, 0.6 * scale, cv::Scalar(255, 255, 255), 1, cv::LINE_AA);
}

cv::Mat fitToControlPicture(const cv::Mat& frame) {
  const cv::Size target = kControlPictureSize;
  if (frame.empty() || frame.size() == target) return frame;
  // The widest centred part of the target's shape, in whole pixels.
  cv::Rect part(0, 0, frame.cols, frame.rows);
  if (std::int64_t{frame.cols} * target.height > std::int64_t{frame.rows} * target.width) {
    part.width = std::max(1, int(std::int64_t{frame.rows} * target.width / target.height));
    part.x = (frame.cols - part.width) / 2;
  } else {
    part.height = std::max(1, int(std::int64_t{frame.cols} * target.height / target.width));
    part.y = (frame.rows - part.height) / 2;
  }
  cv::Mat fitted;
  cv::resize(frame(part), fitted, target, 0, 0, cv::INTER_AREA);
  return fitted;
}

CameraSetting parseCameraSetting(const char* value) {
  const std::string_view text = value ? value : "";
  if (text.empty()) return {};
  if (text == "test") return {CameraSetting::Kind::TestPicture, {}};
  if (isNumber(text)) return {CameraSetting::Kind::Device, std::string(kDevicePrefix) + std::string(text)};
  if (text.starts_with(kDevicePrefix) && isNumber(text.substr(kDevicePrefix.size())))
    return {CameraSetting::Kind::Device, std::string(text)};
  return {CameraSetting::Kind::Invalid, std::string(text)};
}

SourceChoice chooseSource(const CameraSetting& setting, const std::vector<std::string>& devices) {
  switch (setting.kind) {
    case CameraSetting::Kind::TestPicture:
      return {nullptr, "Test picture, as asked for", true};
    case CameraSetting::Kind::Invalid:
      return {nullptr, "TAVRO_CAMERA=" + setting.devicePath + " not understood: test picture"};
    case CameraSetting::Kind::Device:
      return {std::make_unique<CameraFrameSource>(setting.devicePath), {}};
    case CameraSetting::Kind::Automatic:
      break;
  }
  if (devices.empty()) return {nullptr, "No camera: test picture"};
  return {std::make_unique<CameraFrameSource>(devices.front()), {}};
}

CameraSetting cameraSettingFromEnvironment() { return parseCameraSetting(std::getenv("TAVRO_CAMERA")); }

std::vector<std::string> cameraDevices() {
  std::vector<std::pair<int, std::string>> found;
  std::error_code error;
  for (std::filesystem::directory_iterator it("/dev", error), end; !error && it != end; it.increment(error)) {
    const std::string path = it->path().string();
    const std::string_view number = std::string_view(path).substr(std::min(path.size(), kDevicePrefix.size()));
    if (path.starts_with(kDevicePrefix) && isNumber(number)) found.emplace_back(std::stoi(std::string(number)), path);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& [number, path] : found) paths.push_back(std::move(path));
  return paths;
}

}  // namespace tavro

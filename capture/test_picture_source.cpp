#include "capture/test_picture_source.h"

#include <algorithm>
#include <string>
#include <thread>

#include <opencv2/imgproc.hpp>

namespace tavro {

namespace {

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

double TestPictureSource::framesPerSecond() const { return rate_; }

std::string TestPictureSource::description() const { return "Test picture"; }

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

}  // namespace tavro

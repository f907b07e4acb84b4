#pragma once
// Where the capture control's frames come from, and which source it uses: a
// V4L2 camera read through OpenCV, or the test picture. Automatic: the first
// camera device present, else the test picture. The environment variable
// TAVRO_CAMERA overrides that: "test" forces the test picture, a number N or
// a path /dev/videoN picks that camera.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

namespace tavro {

// Every source's frame size: the control's 2400 x 1800-twip area at 15 twips a pixel, so that a snapshot
// is seen whole in PIC_DISPLAY or a face box.
inline const cv::Size kControlPictureSize{160, 120};

// Called on the grabbing thread only, so open() and read() may block.
class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Prepares the source; false when it cannot deliver frames.
  virtual bool open() = 0;
  // Waits for the next frame, 8-bit BGR, into a fresh frame; false when none came.
  virtual bool read(cv::Mat& frame) = 0;
  // The rate the source delivers frames at, also the rate of a recording.
  virtual double framesPerSecond() const = 0;
  // Short text for the control's area, e.g. "Camera /dev/video0".
  virtual std::string description() const = 0;
};

// A generated, moving picture at a steady rate, standing in for a missing camera.
class TestPictureSource : public FrameSource {
 public:
  static constexpr double kDefaultRate = 30.0;

  explicit TestPictureSource(cv::Size size = kControlPictureSize, double framesPerSecond = kDefaultRate);

  bool open() override;
  bool read(cv::Mat& frame) override;
  double framesPerSecond() const override { return rate_; }
  std::string description() const override { return "Test picture"; }

 private:
  void waitForFrameTime();
  void draw(cv::Mat& frame) const;

  cv::Size size_;
  double rate_;
  cv::Mat background_;
  std::uint64_t frameNumber_ = 0;
  std::chrono::steady_clock::time_point firstFrameTime_;
};

struct CameraSetting {
  enum class Kind { Automatic, TestPicture, Device, Invalid };
  Kind kind = Kind::Automatic;
  std::string devicePath;  // for Device
};

// The meaning of a TAVRO_CAMERA value; null or empty means automatic.
CameraSetting parseCameraSetting(const char* value);
CameraSetting cameraSettingFromEnvironment();

struct SourceChoice {
  // The camera to try; empty when the test picture is the only choice.
  std::unique_ptr<FrameSource> preferred;
  // What the control's area says when the test picture stands in.
  std::string fallbackNote;
  // The test picture was chosen, not standing in: it may go into face files.
  bool testPictureAskedFor = false;
};

// A camera frame (8-bit BGR) cut to 4:3 about its centre, scaled to the control's picture.
cv::Mat fitToControlPicture(const cv::Mat& frame);

SourceChoice chooseSource(const CameraSetting& setting, const std::vector<std::string>& devices);

// The /dev/videoN device nodes present, in order of N.
std::vector<std::string> cameraDevices();

}  // namespace tavro

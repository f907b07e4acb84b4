#pragma once
// Where the capture control's frames come from: a camera or the generated
// test picture. Every call is made on the grabbing thread, never on the UI
// thread, so open() and read() may block.

#include <string>

#include <opencv2/core.hpp>

namespace tavro {

// The control's picture: its 2400 x 1800-twip area at 15 twips a pixel. Every
// source delivers frames of this size, so a snapshot shown in PIC_DISPLAY or
// loaded into a face box is seen whole, at its own pixel size.
inline const cv::Size kControlPictureSize{160, 120};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Prepares the source; false when it cannot deliver frames.
  virtual bool open() = 0;
  // Waits for the next frame and stores it, 8-bit BGR, into a fresh frame;
  // false when none came (a camera that stopped answering).
  virtual bool read(cv::Mat& frame) = 0;
  // The rate the source delivers frames at, also the rate of a recording.
  virtual double framesPerSecond() const = 0;
  // Short text for the control's area, e.g. "Camera /dev/video0".
  virtual std::string description() const = 0;
};

}  // namespace tavro

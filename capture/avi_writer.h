#pragma once
// MJPG video in an AVI file, every write checked: a full disk or a size limit
// is noticed at the frame it hits, and the file still ends as a playable video
// of the frames before it. The layout, every number 32-bit little-endian:
//   RIFF 'AVI '
//     LIST 'hdrl': avih, LIST 'strl' (strh, strf), JUNK (the name recorded to)
//     LIST 'movi': one '00dc' chunk of JPEG data per frame
//     idx1: where each frame lies, written when the video is finished
// Each frame reaches the file as it is added, so a program killed while
// recording leaves every frame before; reopen() reads it back to finish it.

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

#include <opencv2/core.hpp>

namespace tavro {

// The open file the video goes to. Tests derive one that fills up.
class FileBytes {
 public:
  explicit FileBytes(int fd) : fd_(fd) {}
  virtual ~FileBytes() = default;
  // 0 once every byte is written, else the errno of the failure.
  virtual int writeAt(std::uint64_t offset, const QByteArray& bytes);
  // Up to size bytes; fewer at the end of the file or on a failure.
  QByteArray readAt(std::uint64_t offset, std::uint32_t size) const;
  int truncate(std::uint64_t size);
  std::uint64_t size() const;

 private:
  int fd_;
};

class AviWriter {
 public:
  explicit AviWriter(FileBytes& file) : file_(&file) {}

  // Headers for frames of this size and rate, recorded for the file `name`, into an empty file: 0 or an errno.
  int start(cv::Size size, double framesPerSecond, const QByteArray& name);

  // One JPEG picture. On a failure the file is cut back to the frames before.
  int addFrame(const std::vector<uchar>& jpeg);

  // Writes the index and the final headers at this rate. When the index
  // finds no room, frames are dropped from the end until it fits;
  // droppedFor() then tells the errno.
  int finish(double framesPerSecond);

  std::size_t frameCount() const { return frames_.size(); }
  int droppedFor() const { return droppedFor_; }

  // An unfinished file of this kind up to its last whole frame, with the name and rate it was started with.
  static std::optional<AviWriter> reopen(FileBytes& file, QByteArray& name, double& framesPerSecond);

 private:
  struct Frame {
    std::uint32_t offset;  // of its chunk, from the 'movi' mark
    std::uint32_t size;
  };

  std::uint64_t endOf(const Frame& frame) const;
  void dropFramesToFree(std::uint64_t bytes);

  // The sizes and counts left open while recording, and the measured rate: numbers in place, needing no room.
  int patchHeaders(double framesPerSecond);

  FileBytes* file_;
  std::uint64_t movi_ = 0;  // offset of the 'movi' mark
  std::uint64_t end_ = 0;   // where the next frame goes
  std::vector<Frame> frames_;
  int droppedFor_ = 0;
};

}  // namespace tavro

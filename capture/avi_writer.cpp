#include "capture/avi_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <limits>

#include <QtEndian>

namespace tavro {

namespace {

// Where the fixed parts of the headers lie (see the layout at AviWriter).
constexpr std::uint64_t kRiffSize = 4;
constexpr std::uint64_t kTimePerFrame = 32;  // microseconds, in avih
constexpr std::uint64_t kTotalFrames = 48;
constexpr std::uint64_t kScale = 128;  // in strh, then rate, start and length
constexpr std::uint64_t kJunk = 212;
constexpr std::uint32_t kRateScale = 1000;  // rates to a thousandth of a frame a second
constexpr std::uint32_t kHasIndex = 0x10;
constexpr std::uint32_t kKeyFrame = 0x10;
constexpr std::uint32_t kIndexEntry = 16;
// Freed bytes only become room by whole blocks of the file system.
constexpr std::uint64_t kBlockSlack = 8192;
const QByteArray kNameMark = "tavro-cam recording to: ";

struct Bytes {
  QByteArray data;
  Bytes& id(const char* fourcc) { data.append(fourcc, 4); return *this; }
  Bytes& u32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) data.append(char(value >> (8 * i) & 0xFF));
    return *this;
  }
  Bytes& u16(std::uint16_t value) { data.append(char(value & 0xFF)).append(char(value >> 8)); return *this; }
};

std::uint32_t readU32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// No room left: the disk, a quota, a file-size limit or the AVI's own 4 GiB.
bool isOutOfRoom(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

std::uint32_t rateOf(double framesPerSecond) { return std::uint32_t(std::llround(framesPerSecond * kRateScale)); }

}  // namespace

int FileBytes::writeAt(std::uint64_t offset, const QByteArray& bytes) {
  for (qsizetype done = 0; done < bytes.size();) {
    const ssize_t n = ::pwrite(fd_, bytes.constData() + done, std::size_t(bytes.size() - done), off_t(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    done += n;
  }
  return 0;
}

QByteArray FileBytes::readAt(std::uint64_t offset, std::uint32_t size) const {
  QByteArray bytes(qsizetype(size), '\0');
  ssize_t n = 0;
  do n = ::pread(fd_, bytes.data(), size, off_t(offset));
  while (n < 0 && errno == EINTR);
  bytes.truncate(n > 0 ? qsizetype(n) : 0);
  return bytes;
}

int FileBytes::truncate(std::uint64_t size) { return ::ftruncate(fd_, off_t(size)) == 0 ? 0 : errno; }

std::uint64_t FileBytes::size() const {
  struct stat info {};
  return ::fstat(fd_, &info) == 0 ? std::uint64_t(info.st_size) : 0;
}

int AviWriter::start(cv::Size size, double framesPerSecond, const QByteArray& name) {
  QByteArray junk = kNameMark + name + '\0';
  if (junk.size() % 2 != 0) junk.append('\0');
  const auto width = std::uint32_t(size.width);
  const auto height = std::uint32_t(size.height);
  Bytes header;
  header.id("RIFF").u32(0).id("AVI ").id("LIST").u32(200 + std::uint32_t(junk.size())).id("hdrl");
  header.id("avih").u32(56).u32(std::uint32_t(std::llround(1e6 / framesPerSecond))).u32(0).u32(0).u32(kHasIndex);
  header.u32(0).u32(0).u32(1).u32(0).u32(width).u32(height).u32(0).u32(0).u32(0).u32(0);
  header.id("LIST").u32(116).id("strl").id("strh").u32(56).id("vids").id("MJPG").u32(0).u32(0).u32(0);
  header.u32(kRateScale).u32(rateOf(framesPerSecond)).u32(0).u32(0).u32(0).u32(0xFFFFFFFF).u32(0);
  header.u16(0).u16(0).u16(std::uint16_t(width)).u16(std::uint16_t(height));
  header.id("strf").u32(40).u32(40).u32(width).u32(height).u16(1).u16(24).id("MJPG").u32(width * height * 3);
  header.u32(0).u32(0).u32(0).u32(0);
  header.id("JUNK").u32(std::uint32_t(junk.size())).data.append(junk);
  header.id("LIST").u32(4).id("movi");
  movi_ = std::uint64_t(header.data.size()) - 4;
  end_ = std::uint64_t(header.data.size());
  frames_.clear();
  return file_->writeAt(0, header.data);
}

int AviWriter::addFrame(const std::vector<uchar>& jpeg) {
  const std::uint64_t chunk = 8 + jpeg.size() + (jpeg.size() & 1);
  if (end_ + chunk + 8 + kIndexEntry * (frames_.size() + 1) > std::numeric_limits<std::uint32_t>::max())
    return EFBIG;
  Bytes bytes;
  bytes.id("00dc").u32(std::uint32_t(jpeg.size())).data.append(reinterpret_cast<const char*>(jpeg.data()),
                                                                 qsizetype(jpeg.size()));
  if (jpeg.size() % 2 != 0) bytes.data.append('\0');
  if (const int error = file_->writeAt(end_, bytes.data)) {
    file_->truncate(end_);
    return error;
  }
  frames_.push_back({std::uint32_t(end_ - movi_), std::uint32_t(jpeg.size())});
  end_ += chunk;
  return 0;
}

int AviWriter::finish(double framesPerSecond) {
  for (;;) {
    Bytes index;
    index.id("idx1").u32(kIndexEntry * std::uint32_t(frames_.size()));
    for (const Frame& frame : frames_) index.id("00dc").u32(kKeyFrame).u32(frame.offset).u32(frame.size);
    int error = file_->writeAt(end_, index.data);
    if (error == 0) error = file_->truncate(end_ + std::uint64_t(index.data.size()));  // a reopened file's tail
    if (error == 0) return patchHeaders(framesPerSecond);
    file_->truncate(end_);
    if (!isOutOfRoom(error) || frames_.empty()) return error;
    droppedFor_ = error;
    dropFramesToFree(std::uint64_t(index.data.size()) + kBlockSlack);
  }
}

std::optional<AviWriter> AviWriter::reopen(FileBytes& file, QByteArray& name, double& framesPerSecond) {
  const QByteArray header = file.readAt(0, kJunk + 8);
  if (header.size() != qsizetype(kJunk + 8) || !header.startsWith("RIFF") || header.mid(8, 4) != "AVI " ||
      header.mid(20, 4) != "hdrl" || header.mid(108, 8) != "vidsMJPG" || header.mid(kJunk, 4) != "JUNK")
    return std::nullopt;
  const std::uint32_t junkSize = readU32(header, kJunk + 4);
  const QByteArray junk = file.readAt(kJunk + 8, junkSize);
  if (junkSize > 4096 || junk.size() != qsizetype(junkSize) || !junk.startsWith(kNameMark)) return std::nullopt;
  AviWriter writer(file);
  writer.movi_ = kJunk + 8 + junkSize + 8;
  if (file.readAt(writer.movi_ - 8, 12).mid(8) != "movi") return std::nullopt;
  name = junk.mid(kNameMark.size());
  name.truncate(name.indexOf('\0'));
  const std::uint32_t scale = readU32(header, kScale);
  framesPerSecond = scale > 0 ? double(readU32(header, kScale + 4)) / scale : 0.0;
  writer.end_ = writer.movi_ + 4;
  // Frames up to the first one cut short; a finished file's index ends them too.
  for (const std::uint64_t size = file.size();;) {
    const QByteArray chunk = file.readAt(writer.end_, 8);
    if (chunk.size() != 8 || !chunk.startsWith("00dc")) break;
    const Frame frame{std::uint32_t(writer.end_ - writer.movi_), readU32(chunk, 4)};
    if (writer.endOf(frame) > size) break;
    writer.frames_.push_back(frame);
    writer.end_ = writer.endOf(frame);
  }
  return writer;
}

std::uint64_t AviWriter::endOf(const Frame& frame) const {
  return movi_ + frame.offset + 8 + frame.size + (frame.size & 1);
}

void AviWriter::dropFramesToFree(std::uint64_t bytes) {
  const std::uint64_t before = end_;
  while (!frames_.empty() && before - end_ < bytes) {
    frames_.pop_back();
    end_ = frames_.empty() ? movi_ + 4 : endOf(frames_.back());
  }
  file_->truncate(end_);
}

int AviWriter::patchHeaders(double framesPerSecond) {
  const auto count = std::uint32_t(frames_.size());
  const std::pair<std::uint64_t, std::uint32_t> fields[] = {
      {kRiffSize, std::uint32_t(end_ + kIndexEntry * count)},  // all after the size: to the index's end
      {kTimePerFrame, std::uint32_t(std::llround(1e6 / framesPerSecond))},
      {kTotalFrames, count},
      {kScale, kRateScale},
      {kScale + 4, rateOf(framesPerSecond)},
      {kScale + 12, count},
      {movi_ - 4, std::uint32_t(end_ - movi_)},
  };
  for (const auto& [at, value] : fields) {
    if (const int error = file_->writeAt(at, Bytes().u32(value).data)) return error;
  }
  return 0;
}

}  // namespace tavro

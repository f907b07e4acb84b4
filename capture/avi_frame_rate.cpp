#include "capture/avi_frame_rate.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QList>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

namespace {

// RIFF chunk: four-letter id, 32-bit little-endian size, data padded to even.
constexpr qint64 kChunkHeader = 8;
constexpr qint64 kMaxHeaderList = 1 << 20;
constexpr qint64 kStreamScaleOffset = 20;  // in 'strh' data, then the rate
constexpr std::uint32_t kRateScale = 1000;

Error rateError(const QString& path, const QString& reason) {
  return Error(ErrorKind::Platform, ("Cannot set the frame rate of " + path + ": " + reason).toStdString());
}

std::uint32_t readLe32(const QByteArray& bytes, qint64 at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

void writeLe32(QByteArray& bytes, qint64 at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

struct Chunk {
  QByteArray id;
  qint64 data = 0;  // offset of its data
  qint64 size = 0;
};

// The chunks that lie whole within [begin, end) of bytes.
QList<Chunk> chunksIn(const QByteArray& bytes, qint64 begin, qint64 end) {
  QList<Chunk> chunks;
  for (qint64 at = begin; at + kChunkHeader <= end;) {
    const Chunk chunk{bytes.mid(at, 4), at + kChunkHeader, readLe32(bytes, at + 4)};
    if (chunk.data + chunk.size > end) break;
    chunks.append(chunk);
    at = chunk.data + chunk.size + (chunk.size & 1);
  }
  return chunks;
}

bool isList(const QByteArray& bytes, const Chunk& chunk, const char* type) {
  return chunk.id == "LIST" && chunk.size >= 4 && bytes.mid(chunk.data, 4) == type;
}

// Patches the header list in memory; false when a header is missing.
bool patchHeaderList(QByteArray& list, double framesPerSecond) {
  bool mainHeader = false;
  bool videoHeader = false;
  for (const Chunk& chunk : chunksIn(list, 4, list.size())) {
    if (chunk.id == "avih" && chunk.size >= 4) {
      writeLe32(list, chunk.data, static_cast<std::uint32_t>(std::llround(1e6 / framesPerSecond)));
      mainHeader = true;
    }
    if (!isList(list, chunk, "strl") || videoHeader) continue;
    for (const Chunk& inner : chunksIn(list, chunk.data + 4, chunk.data + chunk.size)) {
      if (inner.id != "strh" || inner.size < kStreamScaleOffset + 8 || list.mid(inner.data, 4) != "vids") continue;
      writeLe32(list, inner.data + kStreamScaleOffset, kRateScale);
      writeLe32(list, inner.data + kStreamScaleOffset + 4,
                static_cast<std::uint32_t>(std::llround(framesPerSecond * kRateScale)));
      videoHeader = true;
    }
  }
  return mainHeader && videoHeader;
}

}  // namespace

void setAviFrameRate(const QString& path, double framesPerSecond) {
  if (!(framesPerSecond >= 0.01 && framesPerSecond <= 1000))
    throw rateError(path, QString::number(framesPerSecond) + " frames a second is no usable rate");
  QFile file;
  const int fd = ::open(toNativeName(path).constData(), O_RDWR | O_CLOEXEC);
  if (fd < 0) throw rateError(path, QString::fromLocal8Bit(std::strerror(errno)));
  if (!file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    throw rateError(path, file.errorString());
  }
  // RIFF 'AVI ', then its first chunk: the header list 'hdrl'.
  const QByteArray start = file.read(12 + kChunkHeader + 4);
  if (start.size() < 24 || !start.startsWith("RIFF") || start.mid(8, 4) != "AVI " ||
      start.mid(12, 4) != "LIST" || start.mid(20, 4) != "hdrl")
    throw rateError(path, "it holds no AVI header");
  const qint64 listSize = readLe32(start, 16);
  if (listSize < 4 || listSize > kMaxHeaderList) throw rateError(path, "its AVI header is damaged");
  QByteArray list = start.mid(20) + file.read(listSize - 4);
  if (list.size() != listSize) throw rateError(path, "its AVI header is cut short");
  if (!patchHeaderList(list, framesPerSecond)) throw rateError(path, "it holds no AVI video header");
  if (!file.seek(20) || file.write(list) != listSize || !file.flush()) throw rateError(path, file.errorString());
  file.close();
  if (file.error() != QFileDevice::NoError) throw rateError(path, file.errorString());
}

}  // namespace tavro

#include "pictures/picture_loader.h"

#include <QBuffer>
#include <QFile>
#include <QTransform>
#include <cstring>

#include "files/native_names.h"
#include "pictures/picture_decoder.h"
#include "pictures/picture_file.h"

namespace tavro {

namespace {

// What is read of a device that cannot seek back: the largest picture at four bytes a pixel, and headers.
constexpr qint64 kMaxUnseekableBytes = kMaxPicturePixels * 4 + 1024 * 1024;

// By the first bytes, as every reader of these formats recognises them.
std::unique_ptr<PictureDecoder> openDecoder(QIODevice& device, const QString& name) {
  const QByteArray head = device.peek(8);
  if (head.startsWith("\xFF\xD8")) return openJpeg(device, name);
  if (head.startsWith("\x89PNG\r\n\x1a\n")) return openPng(device, name);
  if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return openGif(device, name);
  if (head.startsWith("BM")) return openBmp(device, name);
  if (head.size() > 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '6') return openPnm(device, name);
  refuseInvalidPicture(name, QStringLiteral("holds no picture in a known format"));
}

// How a stored picture is turned upright, by EXIF orientation 1 to 8:
// mirrored across, mirrored down, then a quarter turn clockwise.
struct Turn { bool across, down, quarter; };
constexpr Turn kTurns[] = {{false, false, false}, {true, false, false}, {true, true, false}, {false, true, false},
                           {false, true, true},   {false, false, true}, {true, false, true}, {true, true, true}};

// The part of the stored picture that becomes the upright picture's top-left
// `part`: its last rows or right columns where the turn takes them there.
QRect storedRegion(QSize stored, QSize part, Turn turn) {
  if (turn.quarter) part.transpose();
  const bool right = turn.across, bottom = turn.down != turn.quarter;
  return {right ? stored.width() - part.width() : 0, bottom ? stored.height() - part.height() : 0, part.width(),
          part.height()};
}

QImage turnedUpright(QImage picture, Turn turn) {
  if (turn.across || turn.down) picture = std::move(picture).mirrored(turn.across, turn.down);
  return turn.quarter ? picture.transformed(QTransform().rotate(90)) : picture;
}

}  // namespace

QImage loadPicture(const QString& path, const PictureLoadOptions& options) {
  QFile file;
  openPictureFile(file, path);
  return loadPicture(file, displayName(path), options);
}

QImage loadPicture(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  if (device.isSequential()) {
    // The decoders look ahead and come back: read it all, within reason.
    QByteArray bytes = device.read(kMaxUnseekableBytes + 1);
    if (bytes.size() > kMaxUnseekableBytes)
      refusePicture(QStringLiteral("Picture too large: %1 holds more than %2 bytes").arg(name).arg(kMaxUnseekableBytes));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadPicture(buffer, name, options);
  }
  const std::unique_ptr<PictureDecoder> decoder = openDecoder(device, name);
  QSize stored = decoder->size();
  if (stored.isEmpty()) refuseInvalidPicture(name, QStringLiteral("holds an empty picture"));
  checkDeclaredSize(name, stored.width(), stored.height());
  if (options.corner.isEmpty() && options.reducedSide > 0) {
    decoder->reduceTo(options.reducedSide);
    stored = decoder->size();
  }
  const Turn turn = kTurns[decoder->orientation() - 1];
  const QSize upright = turn.quarter ? stored.transposed() : stored;
  const QRect region = storedRegion(stored, options.corner.isEmpty() ? upright : upright.boundedTo(options.corner), turn);

  const QImage::Format format = decoder->rowFormat();
  const bool weigh = options.grey && format != QImage::Format_Grayscale8;
  QImage picture(region.size(), options.grey ? QImage::Format_Grayscale8 : format);
  if (picture.isNull()) refuseUnallocatedPicture(name);
  const auto rowBytes = static_cast<std::size_t>(picture.depth() / 8 * region.width());
  decoder->decode(region, [&](int y, const uchar* pixels) {
    uchar* out = picture.scanLine(y - region.top());
    if (!weigh) return void(std::memcpy(out, pixels, rowBytes));
    QImage colour(pixels, region.width(), 1, format);  // grey as QImage weighs colour, in its colour space
    colour.setColorSpace(decoder->colourSpace());
    std::memcpy(out, colour.convertToFormat(QImage::Format_Grayscale8).constBits(), static_cast<std::size_t>(region.width()));
  });
  return turnedUpright(std::move(picture), turn);
}

}  // namespace tavro

#include "pictures/picture_loader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "files/native_names.h"
#include "pictures/bmp_run_length.h"
#include "pictures/gif_decoder.h"
#include "pictures/jpeg_decoder.h"
#include "pictures/picture_file.h"
#include "pictures/picture_refusal.h"
#include "pictures/png_decoder.h"
#include "pictures/whole_picture_checks.h"

namespace tavro {

namespace {

// Allocation limit for any one decode by Qt, in megabytes: the largest
// accepted picture at four bytes a pixel.
constexpr int kAllocationLimitMegabytes = static_cast<int>(kMaxPicturePixels * 4 / (1024 * 1024));
// What is read of a device that cannot seek back: the largest accepted
// picture uncompressed, at four bytes a pixel, and its headers.
constexpr qint64 kMaxUnseekableBytes = kMaxPicturePixels * 4 + 1024 * 1024;

// A decoder of the loader's own, which reads no more of a file than the
// picture box needs; a null picture leaves the file to Qt.
using OwnDecoder = QImage (*)(QIODevice&, const QString&, const PictureLoadOptions&);

QImage decodePngCorner(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  return options.corner.isEmpty() ? QImage() : decodePng(device, name, options);
}

// The formats Qt decodes once the loader knows the file is whole: by the
// first bytes, as Qt's own readers recognise them. Qt refuses a cut PNG or
// PBM/PGM/PPM file by itself; a BMP is checked first. The loader decodes
// GIF and run-length BMP files itself, and a PNG for a box.
struct QtFormat {
  QByteArray signature;
  const char* format;
  void (*checkIsWhole)(QIODevice&, const QString&);
  OwnDecoder decodeItself = nullptr;
};

const QtFormat* qtFormatOf(const QByteArray& head) {
  static const QtFormat formats[] = {
      {QByteArrayLiteral("BM"), "bmp", checkBmpIsWhole, decodeRunLengthBmp},
      {QByteArrayLiteral("GIF87a"), "gif", nullptr, decodeGif},
      {QByteArrayLiteral("GIF89a"), "gif", nullptr, decodeGif},
      {QByteArrayLiteral("\x89PNG\r\n\x1a\n"), "png", nullptr, decodePngCorner},
      {QByteArrayLiteral("P1"), "pbm", nullptr},
      {QByteArrayLiteral("P4"), "pbm", nullptr},
      {QByteArrayLiteral("P2"), "pgm", nullptr},
      {QByteArrayLiteral("P5"), "pgm", nullptr},
      {QByteArrayLiteral("P3"), "ppm", nullptr},
      {QByteArrayLiteral("P6"), "ppm", nullptr},
  };
  for (const QtFormat& format : formats)
    if (head.startsWith(format.signature)) return &format;
  return nullptr;
}

QImage decodeWithQt(QIODevice& device, const QString& name, const QtFormat& format) {
  if (format.checkIsWhole) format.checkIsWhole(device, name);
  QImageReader::setAllocationLimit(kAllocationLimitMegabytes);
  QImageReader reader(&device, format.format);
  // The header's size is checked before a single pixel is decoded.
  const QSize declared = reader.size();
  if (declared.isValid()) checkDeclaredSize(name, declared.width(), declared.height());
  QImage picture = reader.read();
  if (picture.isNull())
    refuseInvalidPicture(name, QStringLiteral("could not be decoded (%1)").arg(reader.errorString()));
  checkDeclaredSize(name, picture.width(), picture.height());
  return picture;
}

// Qt decodes the whole picture whatever part is needed; the rest is dropped
// here, and colour turned grey in place of the decoded copy.
QImage keepWhatIsNeeded(QImage picture, const PictureLoadOptions& options) {
  if (!options.corner.isEmpty()) {
    const QSize kept = picture.size().boundedTo(options.corner);
    if (kept != picture.size()) picture = picture.copy(QRect(QPoint(0, 0), kept));
  }
  if (options.grey) picture.convertTo(QImage::Format_Grayscale8);
  return picture;
}

}  // namespace

QImage loadPicture(const QString& path, const PictureLoadOptions& options) {
  QFile file;
  openPictureFile(file, path);
  return loadPicture(file, displayName(path), options);
}

QImage loadPicture(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  if (device.isSequential()) {
    // The checks look ahead and come back: read it all, within reason.
    QByteArray bytes = device.read(kMaxUnseekableBytes + 1);
    if (bytes.size() > kMaxUnseekableBytes)
      refusePicture(QStringLiteral("Picture too large: %1 holds more than %2 bytes").arg(name).arg(kMaxUnseekableBytes));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return loadPicture(buffer, name, options);
  }
  const QByteArray head = device.peek(8);
  if (head.startsWith("\xFF\xD8")) return decodeJpeg(device, name, options);
  const QtFormat* format = qtFormatOf(head);
  if (format == nullptr) refuseInvalidPicture(name, QStringLiteral("holds no picture in a known format"));
  if (format->decodeItself != nullptr) {
    QImage picture = format->decodeItself(device, name, options);
    if (!picture.isNull()) return keepWhatIsNeeded(std::move(picture), options);
  }
  return keepWhatIsNeeded(decodeWithQt(device, name, *format), options);
}

}  // namespace tavro

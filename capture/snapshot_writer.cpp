#include "capture/snapshot_writer.h"

#include <vector>

#include <QByteArray>
#include <QFileInfo>
#include <opencv2/imgcodecs.hpp>

#include "capture/capture_path.h"
#include "files/file_set.h"
#include "platform/errors.h"

namespace tavro {

namespace {

constexpr int kJpegQuality = 92;

Error pictureError(const QString& path, const QString& reason) {
  return Error(ErrorKind::Platform, ("Cannot write the picture file " + path + ": " + reason).toStdString());
}

std::vector<uchar> encode(const cv::Mat& frame, PictureFormat format, const QString& path) {
  std::vector<uchar> bytes;
  bool encoded = false;
  try {
    switch (format) {
      case PictureFormat::Png: encoded = cv::imencode(".png", frame, bytes); break;
      case PictureFormat::Jpeg:
        encoded = cv::imencode(".jpg", frame, bytes, {cv::IMWRITE_JPEG_QUALITY, kJpegQuality});
        break;
      case PictureFormat::Bmp: encoded = cv::imencode(".bmp", frame, bytes); break;
    }
  } catch (const cv::Exception&) {
    encoded = false;
  }
  if (!encoded || bytes.empty()) throw pictureError(path, "the camera picture cannot be encoded");
  return bytes;
}

}  // namespace

PictureFormat pictureFormatFor(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "png") return PictureFormat::Png;
  return suffix == "jpg" || suffix == "jpeg" ? PictureFormat::Jpeg : PictureFormat::Bmp;
}

void writeSnapshot(const cv::Mat& frame, const QString& path) {
  requireOrdinaryFileTarget(path, "picture file");
  if (frame.empty()) throw pictureError(path, "no camera picture is available");
  const std::vector<uchar> bytes = encode(frame, pictureFormatFor(path), path);
  // Whole or not at all; a link under the name is replaced, never written through.
  try {
    writeFileWhole(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
  } catch (const Error& e) {
    throw pictureError(path, QString::fromStdString(e.what()));
  }
}

}  // namespace tavro

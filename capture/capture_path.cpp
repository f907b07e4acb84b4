#include "capture/capture_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include <QFileInfo>
#include <opencv2/imgcodecs.hpp>

#include "files/entries.h"
#include "files/file_set.h"
#include "files/native_names.h"

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

Error targetError(const QString& path, const QString& what, const QString& reason) {
  return Error(ErrorKind::Platform,
               ("Cannot write the " + what + " " + displayName(path) + ": " + reason).toStdString());
}

void requireOrdinaryFileTarget(const QString& path, const QString& what) {
  if (path.isEmpty()) throw Error(ErrorKind::Platform, ("No file name given for the " + what).toStdString());
  const EntryKind kind = entryKind(path);
  if (kind != EntryKind::Nothing && kind != EntryKind::File)
    throw targetError(path, what, "it is not an ordinary file");
}

QString recordingFileName(const QString& path) {
  return path.endsWith(QStringLiteral(".avi"), Qt::CaseInsensitive) ? path : path + QStringLiteral(".avi");
}

void requireWritableTarget(const QString& path, const QString& what) {
  const QByteArray native = toNativeName(path);
  struct stat info {};
  if (::stat(native.constData(), &info) != 0) return;
  if ((info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) != 0)
    throw targetError(path, what, "it is read-only");
}

std::optional<FileIdentity> identityOf(const QString& path) {
  const QByteArray native = toNativeName(absolutePath(path));
  const qsizetype slash = native.lastIndexOf('/');
  struct stat folder {};
  if (::stat(slash == 0 ? "/" : native.left(slash).constData(), &folder) != 0) return std::nullopt;
  return FileIdentity{folder.st_dev, folder.st_ino, native.mid(slash + 1)};
}

PictureFormat pictureFormatFor(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "png") return PictureFormat::Png;
  return suffix == "jpg" || suffix == "jpeg" ? PictureFormat::Jpeg : PictureFormat::Bmp;
}

void writeSnapshot(const cv::Mat& frame, const QString& path) {
  requireOrdinaryFileTarget(path, "picture file");
  if (frame.empty()) throw pictureError(path, "no camera picture is available");
  const std::vector<uchar> bytes = encode(frame, pictureFormatFor(path), path);
  try {
    writeFileWhole(path, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
  } catch (const Error& e) {
    throw pictureError(path, QString::fromStdString(e.what()));
  }
}

}  // namespace tavro

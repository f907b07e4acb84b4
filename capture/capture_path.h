#pragma once
// The files the capture control writes: what may be replaced, recording names, file identity, snapshots.

#include <sys/types.h>

#include <optional>

#include <QByteArray>
#include <QString>
#include <opencv2/core.hpp>

#include "platform/errors.h"

namespace tavro {

// Error(Platform) "Cannot write the WHAT PATH: REASON".
Error targetError(const QString& path, const QString& what, const QString& reason);

// Throws Error(Platform) naming the file when path is empty, or names
// something that exists but is no ordinary file (a folder, a device): such
// a thing is never replaced. what: "picture file", "recording file".
void requireOrdinaryFileTarget(const QString& path, const QString& what);

// The name a recording is written under: ".avi" added unless it ends so (any case).
QString recordingFileName(const QString& path);

// Throws Error(Platform) "... it is read-only", as an editor refuses, when the file exists and its user
// may not write it, or it grants no write permission at all (root too).
void requireWritableTarget(const QString& path, const QString& what);

// A name in a folder known by its device and inode, however it is spelled.
struct FileIdentity {
  dev_t device = 0;
  ino_t folder = 0;
  QByteArray name;
  bool operator==(const FileIdentity&) const = default;
};
// Nothing when the folder cannot be looked up.
std::optional<FileIdentity> identityOf(const QString& path);

// PNG for .png names, JPEG for .jpg and .jpeg (any case), else BMP.
enum class PictureFormat { Png, Jpeg, Bmp };
PictureFormat pictureFormatFor(const QString& path);

// Writes one frame in that format, whole or not at all (a link under the name
// is replaced, never written through); Error(Platform) naming the path.
void writeSnapshot(const cv::Mat& frame, const QString& path);

}  // namespace tavro

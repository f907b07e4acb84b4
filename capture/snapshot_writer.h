#pragma once
// Writes one frame as a picture file: PNG for .png names, JPEG for .jpg
// and .jpeg names (any case), BMP for every other name. The file is written beside the target and
// renamed into place, so a failed write never leaves half a picture, and a
// link under the name is replaced, its target never written.

#include <QString>
#include <opencv2/core.hpp>

namespace tavro {

enum class PictureFormat { Png, Jpeg, Bmp };

PictureFormat pictureFormatFor(const QString& path);

// Throws Error(Platform) naming the path when the file cannot be written.
void writeSnapshot(const cv::Mat& frame, const QString& path);

}  // namespace tavro

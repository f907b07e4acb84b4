#include "finding/face_finder.h"

#include <QFileInfo>
#include <algorithm>
#include <tuple>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <opencv2/objdetect.hpp>
#include <vector>

#include "platform/errors.h"

namespace tavro {

namespace {

// Tuned on uncropped photos of people in front of a wall (and the same
// photos moved, scaled and lit from one side), for right answers and speed.
// Faces are looked for in a copy whose longer side is at most this,
constexpr int kSearchSide = 160;
// no smaller than this part of the copy's shorter side, nor than the
// cascade's 20 x 20 pixels, at sizes 1.1 times apart, where at least
// kNeighbours overlapping finds agree.
constexpr double kSmallestFace = 0.2;
constexpr int kCascadeSide = 20;
constexpr double kSizeStep = 1.1;
constexpr int kNeighbours = 3;
// The square cut is the face as found, the margin around it none: a wider
// square (1.2 or 1.4 times the side) takes in hair and wall, and did worse,
// as did a narrower one (0.8).
constexpr double kSquareScale = 1.0;

// A view of a grey picture's pixels, not a copy.
cv::Mat greyMat(const QImage& grey) {
  return cv::Mat(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                 static_cast<std::size_t>(grey.bytesPerLine()));
}

QImage greyOf(const QImage& picture) {
  return picture.format() == QImage::Format_Grayscale8 ? picture : picture.convertToFormat(QImage::Format_Grayscale8);
}

}  // namespace

struct FaceFinder::Cascade {
  cv::CascadeClassifier classifier;
};

FaceFinder::FaceFinder(const QString& cascadeFile) : cascade_(std::make_unique<Cascade>()) {
  bool loaded = false;
  try {
    loaded = QFileInfo(cascadeFile).isFile() && cascade_->classifier.load(cascadeFile.toStdString());
  } catch (const cv::Exception&) {
  }
  if (!loaded)
    throw Error(ErrorKind::Platform, QStringLiteral("Cannot find faces: the face cascade %1 could not be read "
                                                    "(it comes with the Debian package opencv-data)")
                                         .arg(cascadeFile)
                                         .toStdString());
}

FaceFinder::~FaceFinder() = default;

std::optional<QRect> FaceFinder::faceSquare(const QImage& picture) {
  if (picture.isNull()) return std::nullopt;
  const QImage grey = greyOf(picture);
  const double reduction = std::min(1.0, double(kSearchSide) / std::max(grey.width(), grey.height()));
  const cv::Size searchSize(int(std::lround(grey.width() * reduction)), int(std::lround(grey.height() * reduction)));
  const int smallest = std::max(kCascadeSide, int(std::lround(kSmallestFace * std::min(searchSize.width, searchSize.height))));
  if (std::min(searchSize.width, searchSize.height) < smallest) return std::nullopt;
  cv::Mat search = greyMat(grey);
  if (reduction < 1.0) cv::resize(greyMat(grey), search, searchSize, 0, 0, cv::INTER_AREA);
  std::vector<cv::Rect> faces;
  cascade_->classifier.detectMultiScale(search, faces, kSizeStep, kNeighbours, 0, cv::Size(smallest, smallest));
  if (faces.empty()) return std::nullopt;
  // The largest; of equal ones the highest, then the leftmost, whatever order the search found them in.
  const cv::Rect face = *std::min_element(faces.begin(), faces.end(), [](const cv::Rect& a, const cv::Rect& b) {
    return std::tuple(-a.area(), a.y, a.x) < std::tuple(-b.area(), b.y, b.x);
  });
  const double centreX = (face.x + face.width / 2.0) / reduction;
  const double centreY = (face.y + face.height / 2.0) / reduction;
  const int side = std::min({int(std::lround(kSquareScale * face.width / reduction)), grey.width(), grey.height()});
  const int left = std::clamp(int(std::lround(centreX - side / 2.0)), 0, grey.width() - side);
  const int top = std::clamp(int(std::lround(centreY - side / 2.0)), 0, grey.height() - side);
  return QRect(left, top, side, side);
}

QImage FaceFinder::cutFace(const QImage& picture, const QRect& square, QSize size) {
  if (picture.isNull() || square.isEmpty() || size.isEmpty()) return {};
  const QImage grey = greyOf(picture.copy(square));
  QImage face(size, QImage::Format_Grayscale8);
  cv::Mat out(face.height(), face.width(), CV_8UC1, face.bits(), static_cast<std::size_t>(face.bytesPerLine()));
  cv::resize(greyMat(grey), out, out.size(), 0, 0, cv::INTER_AREA);
  cv::equalizeHist(out, out);
  return face;
}

}  // namespace tavro

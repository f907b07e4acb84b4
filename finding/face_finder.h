#pragma once
// Finds the largest face in a picture and cuts it into a face box's picture:
// a square around the face, scaled to the box by area averaging, its grey
// histogram equalised. The same picture always gives the same face.

#include <QImage>
#include <QRect>
#include <QString>
#include <memory>
#include <optional>

namespace tavro {

// Where Debian's opencv-data puts the frontal-face cascade.
inline const QString kFaceCascadeFile =
    QStringLiteral("/usr/share/opencv4/haarcascades/haarcascade_frontalface_alt2.xml");

class FaceFinder {
 public:
  // Reads the cascade. Throws Error(Platform) naming the file and the
  // package that provides it when it cannot.
  explicit FaceFinder(const QString& cascadeFile = kFaceCascadeFile);
  ~FaceFinder();

  // The square a face is cut from: around the largest face found, moved
  // (and made smaller when it must) to lie inside the picture. None when no
  // face is found.
  std::optional<QRect> faceSquare(const QImage& picture);

  // The face cut from `square` of `picture`, in grey, at the given size
  // (what lies outside the picture black); null when any of them is empty.
  static QImage cutFace(const QImage& picture, const QRect& square, QSize size);

 private:
  struct Cascade;
  std::unique_ptr<Cascade> cascade_;
};

}  // namespace tavro

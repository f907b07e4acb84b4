// Bytes in, through the picture loader, into a face box and sampled into a
// 25 x 25 grid, as training and identification do with every face file and
// probe. A load either gives a picture within the loader's limits or throws
// tavro::Error; a picture once loaded is always shown and sampled. A picture
// loaded whole is also loaded for the box's corner alone, and in grey, and
// the box shows the same either way; loaded to find a face in, it may come
// smaller, and the finder's square lies inside it.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "finding/face_finder.h"
#include "imaging/image_processing.h"
#include "pictures/picture_loader.h"
#include "platform/errors.h"
#include "widgets/picture_box_model.h"

namespace {

constexpr std::int16_t kFaceGridSide = 25;

void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "picture_loading_fuzzer: %s\n", what);
  std::abort();
}

// The picture, or a null one when the loader refuses it.
QImage load(QByteArray& bytes, const tavro::PictureLoadOptions& options) {
  QBuffer device(&bytes);
  require(device.open(QIODevice::ReadOnly), "the buffer does not open");
  try {
    return tavro::loadPicture(device, QStringLiteral("fuzz input"), options);
  } catch (const tavro::Error&) {
    return {};  // refused, as any broken picture must be
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication application(*argc, *argv);  // as the tools run
  // Complaints about broken input are expected by the thousand.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  tavro::PictureBoxModel box = tavro::PictureBoxModel::faceBox();
  const QImage corner = load(bytes, {box.drawingArea()});
  const QImage picture = load(bytes, {});
  if (picture.isNull()) return 0;
  require(picture.width() <= tavro::kMaxPictureSide && picture.height() <= tavro::kMaxPictureSide &&
              qint64{picture.width()} * picture.height() <= tavro::kMaxPicturePixels,
          "a picture beyond the loader's limits was loaded");
  require(!corner.isNull(), "a picture loaded whole was refused for a box");
  require(load(bytes, {QSize(), true}).size() == picture.size(), "a picture loaded whole was not loaded in grey");
  const QImage reduced = load(bytes, {QSize(), true, 64});
  require(reduced.width() <= picture.width() && reduced.height() <= picture.height(), "a smaller load is larger");
  static tavro::FaceFinder finder;
  const std::optional<QRect> square = finder.faceSquare(reduced);
  require(!square || reduced.rect().contains(*square), "a face found outside its picture");

  box.setPicture(corner);
  const QImage shown = box.image();
  box.setPicture(picture);
  require(box.image() == shown, "a box shows another picture when it was loaded whole");
  tavro::classImageProcessing grid;
  grid.init(kFaceGridSide, kFaceGridSide);
  grid.update(box);
  return 0;
}

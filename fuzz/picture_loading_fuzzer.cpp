// Bytes in, through the picture loader, into a face box and sampled into a
// 25 x 25 grid, as training and identification do with every face file and
// probe. A load either gives a picture within the loader's limits or throws
// tavro::Error; a picture once loaded is always shown and sampled.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  // Image format plugins are found as the tools find them.
  static QCoreApplication application(*argc, *argv);
  // Decoders' complaints about broken input are expected by the thousand.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer device(&bytes);
  require(device.open(QIODevice::ReadOnly), "the buffer does not open");

  QImage picture;
  try {
    picture = tavro::loadPicture(device, QStringLiteral("fuzz input"));
  } catch (const tavro::Error&) {
    return 0;  // refused, as any broken picture must be
  }
  require(!picture.isNull(), "a load succeeded with no picture");
  require(picture.width() <= tavro::kMaxPictureSide && picture.height() <= tavro::kMaxPictureSide &&
              qint64{picture.width()} * picture.height() <= tavro::kMaxPicturePixels,
          "a picture beyond the loader's limits was loaded");

  tavro::PictureBoxModel box = tavro::PictureBoxModel::faceBox();
  box.setPicture(picture);
  tavro::classImageProcessing grid;
  grid.init(kFaceGridSide, kFaceGridSide);
  grid.update(box);
  return 0;
}

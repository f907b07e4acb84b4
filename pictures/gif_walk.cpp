#include "pictures/gif_walk.h"

#include <QIODevice>

#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

constexpr int kGraphicControlBytes = 4;

int readFromDevice(GifFileType* gif, GifByteType* bytes, int length) {
  const qint64 read = static_cast<QIODevice*>(gif->UserData)->read(reinterpret_cast<char*>(bytes), length);
  return read < 0 ? 0 : static_cast<int>(read);
}

}  // namespace

void GifWalk::Closer::operator()(GifFileType* gif) const {
  int error = D_GIF_SUCCEEDED;
  DGifCloseFile(gif, &error);
}

GifWalk::GifWalk(QIODevice& device, const QString& name) : name_(name) {
  int error = D_GIF_SUCCEEDED;
  gif_.reset(DGifOpen(&device, readFromDevice, &error));
  if (!gif_) refuse(error);
}

GifWalk::~GifWalk() = default;

void GifWalk::walkToTheTrailer(const std::function<void()>& readFirstPicture) {
  GifRecordType record = UNDEFINED_RECORD_TYPE;
  do {
    check(DGifGetRecordType(gif_.get(), &record));
    if (record == IMAGE_DESC_RECORD_TYPE) {
      check(DGifGetImageDesc(gif_.get()));
      const GifImageDesc& picture = gif_->Image;
      rowsLeft_ = picture.Height;
      if (!firstPictureSeen_) {
        if (picture.Width <= 0 || picture.Height <= 0)
          refuseInvalidPicture(name_, QStringLiteral("holds an empty picture"));
        checkDeclaredSize(name_, picture.Width, picture.Height);
        firstPictureSeen_ = true;
        readFirstPicture();
      }
      skipTheRestOfThePicture();
      // The library keeps a record of every picture; one at a time is
      // enough here, however many pictures the file holds.
      GifFreeSavedImages(gif_.get());
      gif_->ImageCount = 0;
    } else if (record == EXTENSION_RECORD_TYPE) {
      readExtension();
    }
  } while (record != TERMINATE_RECORD_TYPE);
}

void GifWalk::readRow(GifPixelType* row) {
  check(DGifGetLine(gif_.get(), row, gif_->Image.Width));
  --rowsLeft_;
}

void GifWalk::readExtension() {
  int code = 0;
  GifByteType* block = nullptr;
  check(DGifGetExtension(gif_.get(), &code, &block));
  // Flags, delay and transparent index; the last block before the first
  // picture is the one that applies to it.
  if (code == GRAPHICS_EXT_FUNC_CODE && !firstPictureSeen_ && block != nullptr)
    transparentIndex_ = block[0] >= kGraphicControlBytes && (block[1] & 1) != 0 ? block[4] : -1;
  while (block != nullptr) check(DGifGetExtensionNext(gif_.get(), &block));
}

// The library skips what is left of a picture once its last row is read;
// otherwise the compressed blocks are skipped here, undecoded.
void GifWalk::skipTheRestOfThePicture() {
  GifByteType* block = nullptr;
  if (rowsLeft_ == gif_->Image.Height) {
    int codeSize = 0;
    check(DGifGetCode(gif_.get(), &codeSize, &block));
  } else if (rowsLeft_ > 0) {
    check(DGifGetCodeNext(gif_.get(), &block));
  }
  while (block != nullptr) check(DGifGetCodeNext(gif_.get(), &block));
}

void GifWalk::check(int result) {
  if (result == GIF_ERROR) refuse(gif_->Error);
}

void GifWalk::refuse(int error) {
  refuseInvalidPicture(name_,
                       QStringLiteral("is cut short or damaged (%1)").arg(QString::fromUtf8(GifErrorString(error))));
}

}  // namespace tavro

// GIF with giflib, walked block by block to its trailer (a GIF is whole
// only when they all lie in the file); of the first picture, the one shown,
// only the rows the region reaches are decoded. What is shown is what Qt's
// reader shows: the logical screen (the picture's extent where it has no
// size); around the picture the transparent colour, else the screen's
// background colour (also where Qt reads memory it never set); an index
// beyond the table transparent white (black with no table); interlaced
// rows placed as Qt places them.

#include <gif_lib.h>

#include <QIODevice>
#include <algorithm>
#include <array>
#include <vector>

#include "pictures/picture_decoder.h"

namespace tavro {

namespace {

constexpr QRgb kClearWhite = 0x00ffffff, kOpaque = 0xff000000;
constexpr int kScreenFlagsAt = 10;  // in the header and screen descriptor

int readFromDevice(GifFileType* gif, GifByteType* bytes, int length) {
  const qint64 read = static_cast<QIODevice*>(gif->UserData)->read(reinterpret_cast<char*>(bytes), length);
  return read < 0 ? 0 : static_cast<int>(read);
}

// Where Qt's reader puts each row as it comes: top to bottom, or in the four passes of an interlaced
// picture, moving on exactly as Qt does (at the screen's bottom, in pictures too short for every pass).
struct RowPlacement {
  int top, bottom, screenHeight, pass, y;
  bool beyondScreen;

  bool shown() const { return !beyondScreen && y < screenHeight; }
  // How many rows below it a row of the first three passes is copied into.
  int repeats(bool transparent) const {
    static constexpr int kRepeats[] = {0, 7, 3, 1, 0};
    return shown() && !transparent ? std::min(kRepeats[pass], bottom - y) : 0;
  }
  // Whether no row from here on falls above `rows`.
  bool allBelow(int rows) const { return !shown() || ((pass == 0 || pass == 4) && y >= rows); }
  // Starts a pass at a row of the picture; true when that lies below it.
  bool start(int next, int row) {
    pass = next;
    return (y = top + row) > bottom;
  }
  void next() {
    static constexpr int kSteps[] = {1, 8, 8, 4, 2};
    if (!shown() || (y += kSteps[pass]) <= bottom || pass == 0 || pass == 4) return;
    if (pass == 1) {
      if (start(2, 4) && start(2, 2)) start(0, 1);
    } else if (pass == 2) {
      if (start(3, 2)) start(3, 1);
    } else {
      start(4, 1);
    }
  }
};

class GifDecoder : public PictureDecoder {
 public:
  // Walks to the first picture's descriptor, where the size shown is known.
  GifDecoder(QIODevice& device, const QString& name) : name_(name) {
    const QByteArray head = device.peek(kScreenFlagsAt + 1);
    screenColours_ = head.size() > kScreenFlagsAt ? 2 << (head[kScreenFlagsAt] & 7) : 2;
    int error = D_GIF_SUCCEEDED;
    gif_.reset(DGifOpen(&device, readFromDevice, &error));
    if (!gif_) refuse(error);
    if (!nextPicture()) refuseInvalidPicture(name_, QStringLiteral("holds no picture"));
    const GifImageDesc& first = gif_->Image;
    if (first.Width <= 0 || first.Height <= 0) refuseInvalidPicture(name_, QStringLiteral("holds an empty picture"));
    checkDeclaredSize(name_, first.Width, first.Height);
    const auto side = [](int screen, int extent) { return screen > 0 ? screen : extent; };
    size_ = QSize(side(gif_->SWidth, first.Left + first.Width), side(gif_->SHeight, first.Top + first.Height));
  }

  void decode(const QRect& region, const RowSink& row) override {
    readFirstPicture(region, row);
    do skipTheRestOfThePicture();
    while (nextPicture());
  }

 private:
  // Reads records up to the next picture's descriptor (true), or the trailer.
  bool nextPicture() {
    GifRecordType record = UNDEFINED_RECORD_TYPE;
    while (record != IMAGE_DESC_RECORD_TYPE && record != TERMINATE_RECORD_TYPE) {
      check(DGifGetRecordType(gif_.get(), &record));
      int code = 0;
      GifByteType* block = nullptr;
      if (record == EXTENSION_RECORD_TYPE) check(DGifGetExtension(gif_.get(), &code, &block));
      // The last graphic control block before the first picture applies to it.
      if (code == GRAPHICS_EXT_FUNC_CODE && size_.isEmpty() && block != nullptr)
        transparent_ = block[0] >= 4 && (block[1] & 1) != 0 ? block[4] : -1;
      while (block != nullptr) check(DGifGetExtensionNext(gif_.get(), &block));
    }
    if (record == IMAGE_DESC_RECORD_TYPE) check(DGifGetImageDesc(gif_.get()));
    rowsLeft_ = gif_->Image.Height;
    return record == IMAGE_DESC_RECORD_TYPE;
  }

  // Skips the rest of a picture undecoded (past the library's last row) and drops the library's record of it.
  void skipTheRestOfThePicture() {
    GifByteType* block = nullptr;
    int codeSize = 0;
    if (rowsLeft_ == gif_->Image.Height) check(DGifGetCode(gif_.get(), &codeSize, &block));
    else if (rowsLeft_ > 0) check(DGifGetCodeNext(gif_.get(), &block));
    while (block != nullptr) check(DGifGetCodeNext(gif_.get(), &block));
    GifFreeSavedImages(gif_.get());
    gif_->ImageCount = 0;
  }

  // Qt's colour for each index, opaque unless there is a transparent colour.
  std::array<QRgb, 256> colourTable(const ColorMapObject* table, int count) const {
    std::array<QRgb, 256> colours{};
    for (int i = 0; i < 256; ++i) {
      const bool listed = table != nullptr && i < count && i < table->ColorCount;
      const QRgb colour = listed ? qRgb(table->Colors[i].Red, table->Colors[i].Green, table->Colors[i].Blue)
                                 : table == nullptr && i <= count ? 0 : kClearWhite;
      colours[static_cast<std::size_t>(i)] =
          transparent_ < 0 ? colour | kOpaque : i == transparent_ ? colour & kClearWhite : colour;
    }
    return colours;
  }

  void readFirstPicture(const QRect& region, const RowSink& row) {
    const GifImageDesc& first = gif_->Image;
    const ColorMapObject* own = first.ColorMap;
    const auto colours = colourTable(own != nullptr ? own : gif_->SColorMap, own != nullptr ? own->ColorCount : screenColours_);
    const bool coversScreen =
        first.Left == 0 && first.Top == 0 && first.Width >= size_.width() && first.Height >= size_.height();
    const QRgb around = coversScreen ? (transparent_ < 0 ? kOpaque : 0)
                        : transparent_ >= 0 ? colours[static_cast<std::size_t>(transparent_)]
                        : gif_->SColorMap ? colourTable(gif_->SColorMap, screenColours_)[gif_->SBackGroundColor & 0xff] : kOpaque;
    std::vector<QRgb> shown(static_cast<std::size_t>(region.width()), around);
    for (int y = region.top(); y <= region.bottom(); ++y) row(y, reinterpret_cast<const uchar*>(shown.data()));

    // The picture's columns within the region.
    const int from = std::max(first.Left, region.left()), to = std::min(first.Left + first.Width, region.right() + 1);
    if (from >= to) return;
    std::vector<GifPixelType> indices(static_cast<std::size_t>(first.Width));
    RowPlacement at{first.Top, std::max(0, std::min(first.Top + first.Height, size_.height()) - 1), size_.height(),
                    first.Interlace ? 1 : 0, first.Top, first.Left >= size_.width()};
    for (int r = 0; r < first.Height && !at.allBelow(region.bottom() + 1); ++r, at.next()) {
      check(DGifGetLine(gif_.get(), indices.data(), first.Width));
      --rowsLeft_;
      if (!at.shown() || at.y < region.top() || at.y > region.bottom()) continue;
      for (int x = from; x < to; ++x)
        shown[static_cast<std::size_t>(x - region.left())] = colours[indices[static_cast<std::size_t>(x - first.Left)]];
      for (int y = at.y; y <= at.y + at.repeats(transparent_ >= 0) && y <= region.bottom(); ++y)
        row(y, reinterpret_cast<const uchar*>(shown.data()));
    }
  }

  void check(int result) { if (result == GIF_ERROR) refuse(gif_->Error); }

  [[noreturn]] void refuse(int error) {
    refuseInvalidPicture(name_, QStringLiteral("is cut short or damaged (%1)").arg(QString::fromUtf8(GifErrorString(error))));
  }

  const QString& name_;
  std::unique_ptr<GifFileType, void (*)(GifFileType*)> gif_{nullptr, [](GifFileType* gif) { DGifCloseFile(gif, nullptr); }};
  int screenColours_ = 2, transparent_ = -1, rowsLeft_ = 0;
};

}  // namespace

std::unique_ptr<PictureDecoder> openGif(QIODevice& device, const QString& name) {
  return std::make_unique<GifDecoder>(device, name);
}

}  // namespace tavro

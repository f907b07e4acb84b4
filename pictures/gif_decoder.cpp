#include "pictures/gif_decoder.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "pictures/gif_walk.h"
#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

// What Qt's reader shows for an index beyond the colour table.
constexpr QRgb kClearWhite = 0x00ffffff;
constexpr int kScreenFlagsAt = 10;  // in the header and screen descriptor

// Where Qt's reader puts each row of a picture on the screen, in the order
// the rows come: top to bottom, or the four passes of an interlaced
// picture, each pass ending at the screen's bottom and very short pictures
// included, exactly as Qt moves on, so that a corner shows what a whole
// decode shows.
class RowPlacement {
 public:
  RowPlacement(const GifImageDesc& picture, QSize screen)
      : top_(picture.Top),
        bottom_(std::max(0, std::min(picture.Top + picture.Height, screen.height()) - 1)),
        screenHeight_(screen.height()),
        beyondScreen_(picture.Left >= screen.width()),
        pass_(picture.Interlace ? 1 : 0),
        y_(picture.Top) {}

  // Whether the row goes on the screen, at row y().
  bool shown() const { return !beyondScreen_ && y_ < screenHeight_; }
  int y() const { return y_; }
  // How many rows below it a row of the first three passes is repeated
  // into while the later passes are still to come.
  int repeats(bool transparent) const {
    static constexpr int kRepeats[] = {0, 7, 3, 1, 0};
    return shown() && !transparent ? std::min(kRepeats[pass_], bottom_ - y_) : 0;
  }
  // Whether no row from here on falls above `rows`.
  bool allBelow(int rows) const { return !shown() || ((pass_ == 0 || pass_ == 4) && y_ >= rows); }

  void next() {
    if (!shown()) return;
    switch (pass_) {
      case 0:
        y_ += 1;
        break;
      case 1:
        y_ += 8;
        if (y_ > bottom_ && startPass(2, 4) && startPass(2, 2)) startPass(0, 1);
        break;
      case 2:
        y_ += 8;
        if (y_ > bottom_ && startPass(3, 2)) startPass(3, 1);
        break;
      case 3:
        y_ += 4;
        if (y_ > bottom_) startPass(4, 1);
        break;
      default:
        y_ += 2;
    }
  }

 private:
  // Whether the pass starts below the picture, so that the next one is tried.
  bool startPass(int pass, int firstRow) {
    pass_ = pass;
    y_ = top_ + firstRow;
    return y_ > bottom_;
  }

  int top_;
  int bottom_;
  int screenHeight_;
  bool beyondScreen_;
  int pass_;
  int y_;
};

// The logical screen's flags: their low bits give the size of its colour
// table, which the library keeps only when the table is there.
quint8 screenFlags(QIODevice& device) {
  const QByteArray head = device.peek(kScreenFlagsAt + 1);
  return head.size() > kScreenFlagsAt ? static_cast<quint8>(head[kScreenFlagsAt]) : 0;
}

class GifDecoder {
 public:
  GifDecoder(QIODevice& device, const QString& name, const PictureLoadOptions& options)
      : name_(name), corner_(options.corner), screenFlags_(screenFlags(device)), walk_(device, name) {}

  QImage decode() {
    walk_.walkToTheTrailer([this] { readFirstPicture(); });
    if (picture_.isNull()) refuseInvalidPicture(name_, QStringLiteral("holds no picture"));
    return std::move(picture_);
  }

 private:
  void readFirstPicture() {
    const GifImageDesc& first = walk_.file().Image;
    const QSize screen = screenShown(first);
    checkDeclaredSize(name_, screen.width(), screen.height());
    const int transparent = walk_.transparentIndex();
    picture_ = QImage(corner_.isEmpty() ? screen : screen.boundedTo(corner_),
                      transparent >= 0 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (picture_.isNull()) refuseUnallocatedPicture(name_);
    picture_.fill(0u);
    const ColorMapObject* screenColours = walk_.file().SColorMap;
    const int screenColourCount = 2 << (screenFlags_ & 7);
    const bool ownColours = first.ColorMap != nullptr;
    const auto colours = colourTable(ownColours ? first.ColorMap : screenColours,
                                     ownColours ? first.ColorMap->ColorCount : screenColourCount, transparent);
    const bool coversScreen =
        first.Left == 0 && first.Top == 0 && first.Width >= screen.width() && first.Height >= screen.height();
    if (!coversScreen && transparent >= 0)
      picture_.fill(colours[static_cast<std::size_t>(transparent)]);
    else if (!coversScreen && screenColours != nullptr)
      picture_.fill(colourTable(screenColours, screenColourCount, -1)[walk_.file().SBackGroundColor & 0xff]);
    readRows(first, screen, colours, transparent >= 0);
  }

  // Qt's screen: the logical screen, or the picture's extent where the
  // screen has no width or no height.
  QSize screenShown(const GifImageDesc& picture) const {
    const auto side = [](int screen, int extent) { return screen > 0 ? screen : extent; };
    return {side(walk_.file().SWidth, picture.Left + picture.Width),
            side(walk_.file().SHeight, picture.Top + picture.Height)};
  }

  // Qt's colour for each index: the table's colour, transparent white
  // beyond the table (black with no table at all), and the transparent
  // index with its alpha cleared.
  static std::array<QRgb, 256> colourTable(const ColorMapObject* table, int count, int transparent) {
    std::array<QRgb, 256> colours{};
    for (int index = 0; index < 256; ++index) {
      QRgb colour = kClearWhite;
      if (index < count && table != nullptr && index < table->ColorCount) {
        const GifColorType& c = table->Colors[index];
        colour = qRgb(c.Red, c.Green, c.Blue);
      } else if (index <= count && table == nullptr) {
        colour = 0;
      }
      colours[static_cast<std::size_t>(index)] = index == transparent ? colour & kClearWhite : colour;
    }
    return colours;
  }

  void readRows(const GifImageDesc& first, QSize screen, const std::array<QRgb, 256>& colours, bool transparent) {
    const int left = first.Left;
    if (left >= picture_.width()) return;                                   // nothing of it in the corner
    const int shownWidth = std::min(first.Width, picture_.width() - left);  // the corner lies within the screen
    std::vector<GifPixelType> row(static_cast<std::size_t>(first.Width));
    RowPlacement placement(first, screen);
    for (int r = 0; r < first.Height && !placement.allBelow(picture_.height()); ++r, placement.next()) {
      walk_.readRow(row.data());
      const int y = placement.y();
      if (!placement.shown() || y >= picture_.height()) continue;
      auto* out = reinterpret_cast<QRgb*>(picture_.scanLine(y)) + left;
      for (int x = 0; x < shownWidth; ++x) out[x] = colours[row[static_cast<std::size_t>(x)]];
      for (int below = 1; below <= placement.repeats(transparent) && y + below < picture_.height(); ++below)
        std::memcpy(reinterpret_cast<QRgb*>(picture_.scanLine(y + below)) + left, out,
                    static_cast<std::size_t>(shownWidth) * sizeof(QRgb));
    }
  }

  const QString& name_;
  const QSize corner_;
  const quint8 screenFlags_;
  GifWalk walk_;
  QImage picture_;
};

}  // namespace

QImage decodeGif(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  return GifDecoder(device, name, options).decode();
}

}  // namespace tavro

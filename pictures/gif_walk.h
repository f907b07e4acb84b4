#pragma once
// A walk with giflib over a GIF file's blocks, from its header to its
// trailer: a GIF is whole only when every block up to the trailer lies in
// the file, which costs a read of the file and no decoding. The first
// picture (the one shown) is handed to a reader that decodes as many of its
// rows as it needs; the rest of its data, and every other picture, are
// skipped undecoded. A block that is cut, out of place or does not decode
// refuses the file ("Invalid picture: NAME is cut short or damaged (...)").

#include <gif_lib.h>

#include <QString>
#include <functional>
#include <memory>

class QIODevice;

namespace tavro {

class GifWalk {
 public:
  // Reads the header, the screen and its colour table from the device's
  // position.
  GifWalk(QIODevice& device, const QString& name);
  ~GifWalk();
  GifWalk(const GifWalk&) = delete;
  GifWalk& operator=(const GifWalk&) = delete;

  // Walks to the trailer. readFirstPicture is called once, when the first
  // picture's descriptor and colour table are read (file().Image); the
  // picture is at most kMaxPictureSide a side, and not empty.
  void walkToTheTrailer(const std::function<void()>& readFirstPicture);

  const GifFileType& file() const { return *gif_; }
  // The transparent colour index the last graphic control block before the
  // first picture gave, or -1.
  int transparentIndex() const { return transparentIndex_; }
  // Decodes the next row of the first picture, file().Image.Width long.
  void readRow(GifPixelType* row);

 private:
  void readExtension();
  void skipTheRestOfThePicture();
  void check(int result);
  [[noreturn]] void refuse(int error);

  const QString& name_;
  struct Closer {
    void operator()(GifFileType* gif) const;
  };
  std::unique_ptr<GifFileType, Closer> gif_;
  bool firstPictureSeen_ = false;
  int transparentIndex_ = -1;
  int rowsLeft_ = 0;
};

}  // namespace tavro

#include "pictures/jpeg_decoder.h"

#include <QColorSpace>
#include <QIODevice>
#include <algorithm>
#include <csetjmp>
#include <cstdio>  // the JPEG library's header needs FILE and size_t first
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

constexpr std::size_t kReadChunkBytes = 4096;

enum class Refusal { Damaged, Undecodable, TooLarge, TooManyScans };

// What the library calls back into, reached through client_data. Plain data
// only: a refusal leaves the library by longjmp, which runs no destructor.
struct Callbacks {
  jpeg_error_mgr errors;
  jpeg_source_mgr source;
  jpeg_progress_mgr progress;
  std::jmp_buf refused;
  Refusal refusal;
  char message[JMSG_LENGTH_MAX];
  QIODevice* device;
  JOCTET buffer[kReadChunkBytes];
};

Callbacks& callbacksOf(j_common_ptr info) { return *static_cast<Callbacks*>(info->client_data); }
j_common_ptr common(j_decompress_ptr info) { return reinterpret_cast<j_common_ptr>(info); }

[[noreturn]] void refuse(j_common_ptr info, Refusal refusal) {
  Callbacks& callbacks = callbacksOf(info);
  callbacks.refusal = refusal;
  info->err->format_message(info, callbacks.message);
  std::longjmp(callbacks.refused, 1);
}

extern "C" {

void refuseOnError(j_common_ptr info) {
  const int code = info->err->msg_code;
  const bool outOfMemory = code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY;
  refuse(info, outOfMemory ? Refusal::TooLarge : Refusal::Undecodable);
}

// Level -1 is a warning: corrupt data, a premature end, a bogus marker.
// Higher levels are trace messages, not wanted.
void refuseOnWarning(j_common_ptr info, int level) {
  if (level < 0) refuse(info, Refusal::Damaged);
}

void startReading(j_decompress_ptr) {}

boolean fillBuffer(j_decompress_ptr info) {
  Callbacks& callbacks = callbacksOf(common(info));
  const qint64 read = callbacks.device->read(reinterpret_cast<char*>(callbacks.buffer), kReadChunkBytes);
  if (read <= 0) {
    info->err->msg_code = JWRN_JPEG_EOF;
    refuse(common(info), Refusal::Damaged);
  }
  info->src->next_input_byte = callbacks.buffer;
  info->src->bytes_in_buffer = static_cast<std::size_t>(read);
  return TRUE;
}

void skipInput(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  while (static_cast<unsigned long>(count) > info->src->bytes_in_buffer) {
    count -= static_cast<long>(info->src->bytes_in_buffer);
    fillBuffer(info);
  }
  info->src->next_input_byte += count;
  info->src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void stopReading(j_decompress_ptr) {}

void limitScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans)
    refuse(info, Refusal::TooManyScans);
}

}  // extern "C"

class JpegDecoder {
 public:
  JpegDecoder(QIODevice& device, const QString& name, const PictureLoadOptions& options)
      : name_(name), options_(options), callbacks_(std::make_unique<Callbacks>()) {
    callbacks_->device = &device;
    jpeg_source_mgr& source = callbacks_->source;
    source.init_source = startReading;
    source.fill_input_buffer = fillBuffer;
    source.skip_input_data = skipInput;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = stopReading;
    callbacks_->progress.progress_monitor = limitScans;
  }
  ~JpegDecoder() { jpeg_destroy_decompress(&info_); }
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  QImage decode() {
    if (!decodeOrRefuse()) throwRefusal();
    if (picture_.format() == QImage::Format_RGB32 && colourSpace_.isValid()) picture_.setColorSpace(colourSpace_);
    return std::move(picture_);
  }

 private:
  // Every library call happens here or below; a refusal longjmps back to
  // the setjmp and returns false. The functions called from here keep no
  // object that needs destroying across a library call.
  bool decodeOrRefuse() {
    if (setjmp(callbacks_->refused) != 0) return false;
    info_.err = jpeg_std_error(&callbacks_->errors);
    callbacks_->errors.error_exit = refuseOnError;
    callbacks_->errors.emit_message = refuseOnWarning;
    info_.client_data = callbacks_.get();  // kept by jpeg_create_decompress
    jpeg_create_decompress(&info_);
    info_.mem->max_memory_to_use = kMaxJpegDecoderBytes;
    info_.src = &callbacks_->source;
    info_.progress = &callbacks_->progress;
    jpeg_save_markers(&info_, JPEG_APP0 + 2, 0xFFFF);  // the colour profile

    jpeg_read_header(&info_, TRUE);
    checkDeclaredSize(name_, info_.image_width, info_.image_height);
    readColourSpace();
    chooseOutputColours();
    jpeg_start_decompress(&info_);  // a progressive picture is read whole here
    const QSize needed = neededPart();
    cropToWidth(static_cast<JDIMENSION>(needed.width()));
    allocate(needed);
    JSAMPROW row = reinterpret_cast<JSAMPROW>(row_.data());
    while (info_.output_scanline < static_cast<JDIMENSION>(needed.height())) {
      const int y = static_cast<int>(info_.output_scanline);
      jpeg_read_scanlines(&info_, &row, 1);
      storeRow(y);
    }
    // Only a picture read to its end is checked to its end; a part stops there.
    if (info_.output_scanline == info_.output_height)
      jpeg_finish_decompress(&info_);
    else
      jpeg_abort_decompress(&info_);
    return true;
  }

  void readColourSpace() {
    JOCTET* profile = nullptr;
    unsigned int length = 0;
    if (!jpeg_read_icc_profile(&info_, &profile, &length)) return;
    const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
    colourSpace_ = QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char*>(profile), static_cast<qsizetype>(length)));
  }

  // Grey stays grey; colour comes as Qt's RGB32 (0xffRRGGBB), CMYK as CMYK.
  void chooseOutputColours() {
    switch (info_.out_color_space) {
      case JCS_GRAYSCALE:
      case JCS_CMYK: break;
      case JCS_RGB: info_.out_color_space = JCS_EXT_BGRA; break;
      default: refuseInvalidPicture(name_, QStringLiteral("is in a colour space that cannot be shown"));
    }
  }

  QSize neededPart() const {
    const QSize whole(static_cast<int>(info_.output_width), static_cast<int>(info_.output_height));
    return options_.corner.isEmpty() ? whole : whole.boundedTo(options_.corner);
  }

  // Decodes only the columns needed, and one block column more: the right
  // edge of a cropped row is upsampled as a picture edge and may differ
  // from the whole picture's pixels there.
  void cropToWidth(JDIMENSION width) {
    const JDIMENSION margin = static_cast<JDIMENSION>(info_.max_h_samp_factor * info_.min_DCT_scaled_size);
    if (width + margin >= info_.output_width) return;
    JDIMENSION left = 0;
    JDIMENSION decoded = width + margin;
    jpeg_crop_scanline(&info_, &left, &decoded);
  }

  void allocate(QSize size) {
    const bool grey = options_.grey || info_.out_color_space == JCS_GRAYSCALE;
    picture_ = QImage(size, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (picture_.isNull())
      refuseUnallocatedPicture(name_);
    row_.assign(info_.output_width, 0);
  }

  void storeRow(int y) {
    uchar* out = picture_.scanLine(y);
    const auto* in = reinterpret_cast<const uchar*>(row_.data());
    const int width = picture_.width();
    if (info_.out_color_space == JCS_GRAYSCALE) {
      std::memcpy(out, in, static_cast<std::size_t>(width));
      return;
    }
    if (info_.out_color_space == JCS_CMYK) convertCmykRow(width);
    if (picture_.format() == QImage::Format_RGB32)
      std::memcpy(out, in, static_cast<std::size_t>(width) * 4);
    else
      convertRowToGrey(in, width, out);
  }

  // In place, four bytes of C, M, Y, K to one 0xffRRGGBB, as Qt does.
  void convertCmykRow(int width) {
    for (int x = 0; x < width; ++x) {
      const auto* cmyk = reinterpret_cast<const uchar*>(&row_[static_cast<std::size_t>(x)]);
      const int k = cmyk[3];
      row_[static_cast<std::size_t>(x)] = qRgb(k * cmyk[0] / 255, k * cmyk[1] / 255, k * cmyk[2] / 255);
    }
  }

  // Grey as QImage makes it from colour, which depends on the colour space.
  void convertRowToGrey(const uchar* rgb, int width, uchar* out) const {
    QImage colourRow(rgb, width, 1, QImage::Format_RGB32);
    if (colourSpace_.isValid()) colourRow.setColorSpace(colourSpace_);
    const QImage greyRow = colourRow.convertToFormat(QImage::Format_Grayscale8);
    std::memcpy(out, greyRow.constBits(), static_cast<std::size_t>(width));
  }

  [[noreturn]] void throwRefusal() const {
    const QString message = QString::fromLocal8Bit(callbacks_->message);
    switch (callbacks_->refusal) {
      case Refusal::TooLarge:
        refusePicture(QStringLiteral("Picture too large: %1 needs more than %2 MB to decode")
                          .arg(name_)
                          .arg(kMaxJpegDecoderBytes / (1024 * 1024)));
      case Refusal::TooManyScans:
        refusePicture(QStringLiteral("Picture too large: %1 has more than %2 scans").arg(name_).arg(kMaxJpegScans));
      case Refusal::Damaged:
        refuseInvalidPicture(name_, QStringLiteral("is damaged or cut short (%1)").arg(message));
      case Refusal::Undecodable: break;
    }
    refuseInvalidPicture(name_, QStringLiteral("could not be decoded (%1)").arg(message));
  }

  const QString& name_;
  const PictureLoadOptions& options_;
  std::unique_ptr<Callbacks> callbacks_;
  jpeg_decompress_struct info_{};
  QColorSpace colourSpace_;
  std::vector<QRgb> row_;
  QImage picture_;
};

}  // namespace

QImage decodeJpeg(QIODevice& device, const QString& name, const PictureLoadOptions& options) {
  return JpegDecoder(device, name, options).decode();
}

}  // namespace tavro

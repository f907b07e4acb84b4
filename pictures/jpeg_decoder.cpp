// JPEG through libjpeg, down to the region's last row, the columns beside it
// skipped; every warning (corrupt data, a premature end) refuses it. CMYK
// becomes RGB as Qt's reader makes it; the colour profile gives the colour
// space, the EXIF block (read with libexif) the orientation.

#include <libexif/exif-data.h>

#include <QIODevice>
#include <algorithm>
#include <csetjmp>
#include <cstdio>  // the JPEG library's header needs FILE and size_t first
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "pictures/picture_decoder.h"

namespace tavro {

namespace {

constexpr std::size_t kReadChunkBytes = 4096;

enum class Refusal { Damaged, Undecodable, TooLarge, TooManyScans };

// What the library calls back into: plain data, as a refusal leaves by longjmp.
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

Callbacks& callbacksOf(void* info) { return *static_cast<Callbacks*>(static_cast<j_common_ptr>(info)->client_data); }

[[noreturn]] void refuse(j_common_ptr info, Refusal refusal) {
  callbacksOf(info).refusal = refusal;
  info->err->format_message(info, callbacksOf(info).message);
  std::longjmp(callbacksOf(info).refused, 1);
}

extern "C" {

void refuseOnError(j_common_ptr info) {
  const int code = info->err->msg_code;
  refuse(info, code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY ? Refusal::TooLarge : Refusal::Undecodable);
}

// Level -1 is a warning (corrupt data, a premature end, a bogus marker);
// higher levels are trace messages.
void refuseOnWarning(j_common_ptr info, int level) { if (level < 0) refuse(info, Refusal::Damaged); }

void nothingToDo(j_decompress_ptr) {}

boolean fillBuffer(j_decompress_ptr info) {
  Callbacks& callbacks = callbacksOf(info);
  const qint64 read = callbacks.device->read(reinterpret_cast<char*>(callbacks.buffer), kReadChunkBytes);
  if (read <= 0) {
    info->err->msg_code = JWRN_JPEG_EOF;
    refuse(reinterpret_cast<j_common_ptr>(info), Refusal::Damaged);
  }
  info->src->next_input_byte = callbacks.buffer;
  info->src->bytes_in_buffer = static_cast<std::size_t>(read);
  return TRUE;
}

void skipInput(j_decompress_ptr info, long count) {
  for (; count > static_cast<long>(info->src->bytes_in_buffer); fillBuffer(info))
    count -= static_cast<long>(info->src->bytes_in_buffer);
  if (count <= 0) return;
  info->src->next_input_byte += count;
  info->src->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void limitScans(j_common_ptr info) {
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) refuse(info, Refusal::TooManyScans);
}

}  // extern "C"

// The orientation tag of the first EXIF block, taken as it is (no repairs);
// 1 for anything missing or malformed.
int exifOrientation(jpeg_saved_marker_ptr marker) {
  while (marker != nullptr && (marker->marker != JPEG_APP0 + 1 || marker->data_length < 6 ||
                               std::memcmp(marker->data, "Exif\0\0", 6) != 0))
    marker = marker->next;
  ExifData* exif = marker != nullptr ? exif_data_new() : nullptr;
  if (exif == nullptr) return 1;
  exif_data_unset_option(exif, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(exif, marker->data, marker->data_length);
  const ExifEntry* tag = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  const bool sound = tag != nullptr && tag->format == EXIF_FORMAT_SHORT && tag->components == 1 && tag->size >= 2;
  const int orientation = sound ? exif_get_short(tag->data, exif_data_get_byte_order(exif)) : 1;
  exif_data_unref(exif);
  return orientation >= 1 && orientation <= 8 ? orientation : 1;
}

// The library's structure, destroyed however the decoder ends.
struct JpegStruct {
  jpeg_decompress_struct info{};
  ~JpegStruct() { jpeg_destroy_decompress(&info); }
};

class JpegDecoder : public PictureDecoder {
 public:
  JpegDecoder(QIODevice& device, const QString& name) : name_(name), callbacks_(std::make_unique<Callbacks>()) {
    callbacks_->device = &device;
    callbacks_->source = {nullptr, 0, nothingToDo, fillBuffer, skipInput, jpeg_resync_to_restart, nothingToDo};
    callbacks_->progress.progress_monitor = limitScans;
    if (!readHeaderOrRefuse()) throwRefusal();
  }

  void decode(const QRect& region, const RowSink& row) override { if (!decodeOrRefuse(region, row)) throwRefusal(); }

  // The library scales while it decodes; its output size is worked out here as it works it out.
  void reduceTo(int longerSide) override {
    unsigned int& d = info_.scale_denom;  // over scale_num, 1
    for (d = 1; d < 8 && std::max(info_.image_width, info_.image_height) / (d * 2) >= unsigned(longerSide);) d *= 2;
    size_ = QSize(int((info_.image_width + d - 1) / d), int((info_.image_height + d - 1) / d));
  }

 private:
  // Every library call happens in these two or below; a refusal longjmps back
  // to their setjmp. Nothing that needs destroying lives across a call.
  bool readHeaderOrRefuse() {
    if (setjmp(callbacks_->refused) != 0) return false;
    info_.err = jpeg_std_error(&callbacks_->errors);
    callbacks_->errors.error_exit = refuseOnError;
    callbacks_->errors.emit_message = refuseOnWarning;
    info_.client_data = callbacks_.get();  // kept by jpeg_create_decompress
    jpeg_create_decompress(&info_);
    info_.mem->max_memory_to_use = kMaxJpegDecoderBytes;
    info_.src = &callbacks_->source;
    info_.progress = &callbacks_->progress;
    jpeg_save_markers(&info_, JPEG_APP0 + 1, 0xFFFF);  // EXIF
    jpeg_save_markers(&info_, JPEG_APP0 + 2, 0xFFFF);  // the colour profile
    jpeg_read_header(&info_, TRUE);
    size_ = QSize(static_cast<int>(info_.image_width), static_cast<int>(info_.image_height));
    orientation_ = exifOrientation(info_.marker_list);
    JOCTET* profile = nullptr;
    unsigned int length = 0;
    if (jpeg_read_icc_profile(&info_, &profile, &length)) {
      colourSpace_ = QColorSpace::fromIccProfile(QByteArray(reinterpret_cast<const char*>(profile), length));
      std::free(profile);
    }
    if (info_.out_color_space == JCS_GRAYSCALE) rowFormat_ = QImage::Format_Grayscale8;
    else if (info_.out_color_space == JCS_RGB) info_.out_color_space = JCS_EXT_BGRA;  // 0xffRRGGBB words
    else if (info_.out_color_space != JCS_CMYK)
      refuseInvalidPicture(name_, QStringLiteral("is in a colour space that cannot be shown"));
    return true;
  }

  bool decodeOrRefuse(const QRect& region, const RowSink& row) {
    if (setjmp(callbacks_->refused) != 0) return false;
    jpeg_start_decompress(&info_);  // a progressive picture is read whole here
    const JDIMENSION left = cropToColumns(region);
    row_.assign(info_.output_width, 0);
    JSAMPROW samples = reinterpret_cast<JSAMPROW>(row_.data());
    const int pixelBytes = rowFormat_ == QImage::Format_Grayscale8 ? 1 : 4;
    const auto* firstPixel = reinterpret_cast<const uchar*>(row_.data()) + (region.left() - left) * pixelBytes;
    while (info_.output_scanline <= static_cast<JDIMENSION>(region.bottom())) {
      const int y = static_cast<int>(info_.output_scanline);
      jpeg_read_scanlines(&info_, &samples, 1);
      if (y < region.top()) continue;
      if (info_.out_color_space == JCS_CMYK)  // in place, C, M, Y and K to 0xffRRGGBB as Qt makes them
        for (QRgb& pixel : row_) {
          const auto* c = reinterpret_cast<const uchar*>(&pixel);
          pixel = qRgb(c[3] * c[0] / 255, c[3] * c[1] / 255, c[3] * c[2] / 255);
        }
      row(y, firstPixel);
    }
    // Only a picture read to its end is checked to its end; a part stops there.
    info_.output_scanline == info_.output_height ? (void)jpeg_finish_decompress(&info_) : jpeg_abort_decompress(&info_);
    return true;
  }

  // The columns needed and a block column more on either side (a cropped
  // row's edges are upsampled as picture edges); gives the first one.
  JDIMENSION cropToColumns(const QRect& region) {
    const auto margin = static_cast<JDIMENSION>(info_.max_h_samp_factor * info_.min_DCT_scaled_size);
    const auto left = static_cast<JDIMENSION>(region.left()), end = static_cast<JDIMENSION>(region.right() + 1);
    JDIMENSION first = left > margin ? left - margin : 0;
    JDIMENSION width = std::min(info_.output_width, end + margin) - first;
    if (width == info_.output_width) return 0;
    jpeg_crop_scanline(&info_, &first, &width);
    return first;
  }

  [[noreturn]] void throwRefusal() const {
    const Refusal refusal = callbacks_->refusal;
    if (refusal == Refusal::TooLarge)
      refusePicture(QStringLiteral("Picture too large: %1 needs more than %2 MB to decode")
                        .arg(name_).arg(kMaxJpegDecoderBytes >> 20));
    if (refusal == Refusal::TooManyScans)
      refusePicture(QStringLiteral("Picture too large: %1 has more than %2 scans").arg(name_).arg(kMaxJpegScans));
    refuseInvalidPicture(name_, (refusal == Refusal::Damaged ? QStringLiteral("is damaged or cut short (%1)")
                                                             : QStringLiteral("could not be decoded (%1)"))
                                    .arg(QString::fromLocal8Bit(callbacks_->message)));
  }

  const QString& name_;
  std::unique_ptr<Callbacks> callbacks_;
  JpegStruct jpeg_;
  jpeg_decompress_struct& info_ = jpeg_.info;
  std::vector<QRgb> row_;
};

}  // namespace

std::unique_ptr<PictureDecoder> openJpeg(QIODevice& device, const QString& name) {
  return std::make_unique<JpegDecoder>(device, name);
}

}  // namespace tavro

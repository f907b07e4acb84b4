#include "pictures/whole_picture_checks.h"

#include <QIODevice>
#include <algorithm>

#include "pictures/bmp_header.h"
#include "pictures/bmp_run_length.h"
#include "pictures/picture_refusal.h"

namespace tavro {

namespace {

// Puts the device back where the check found it, whatever happens.
class PositionKeeper {
 public:
  explicit PositionKeeper(QIODevice& device) : device_(device), position_(device.pos()) {}
  ~PositionKeeper() { device_.seek(position_); }
  PositionKeeper(const PositionKeeper&) = delete;
  PositionKeeper& operator=(const PositionKeeper&) = delete;
  qint64 position() const { return position_; }

 private:
  QIODevice& device_;
  qint64 position_;
};

}  // namespace

void checkBmpIsWhole(QIODevice& device, const QString& name) {
  const PositionKeeper keeper(device);
  const BmpHeader header = readBmpHeader(device, name);
  // No picture, or one Qt's reader refuses by itself.
  if (header.width <= 0 || header.height == 0 || header.bitsPerPixel > 32) return;
  const qint64 rows = header.height < 0 ? -header.height : header.height;
  checkDeclaredSize(name, header.width, rows);

  if (header.compression == kBmpRunLength8 || header.compression == kBmpRunLength4)
    return walkRunLengthStream(device, keeper.position(), header, nullptr, name);
  const qint64 held = std::max<qint64>(0, device.size() - keeper.position() - header.dataOffset);
  const qint64 declared = (header.width * header.bitsPerPixel + 31) / 32 * 4 * rows;
  if (held < declared)
    refuseInvalidPicture(name, QStringLiteral("holds %1 of the %2 bytes of pixel data its header declares")
                                   .arg(held)
                                   .arg(declared));
}

}  // namespace tavro

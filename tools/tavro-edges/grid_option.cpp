#include "grid_option.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "platform/errors.h"

namespace tavro::edges_tool {

QSize parseGridOption(const QString& text) {
  static const QRegularExpression pattern(QStringLiteral(R"(^\s*(\d{1,4})\s*[xX]\s*(\d{1,4})\s*$)"));
  const QRegularExpressionMatch match = pattern.match(text);
  const QString range = QStringLiteral("each side %1 to %2 cells").arg(kMinGridSide).arg(kMaxGridSide);
  if (!match.hasMatch())
    throw Error(ErrorKind::Platform,
                QStringLiteral("--grid wants WIDTHxHEIGHT, e.g. 64x48, not \"%1\"").arg(text).toStdString());
  const int width = match.captured(1).toInt();
  const int height = match.captured(2).toInt();
  if (width < kMinGridSide || width > kMaxGridSide || height < kMinGridSide || height > kMaxGridSide)
    throw Error(ErrorKind::Platform,
                QStringLiteral("--grid %1x%2 is out of range: %3").arg(width).arg(height).arg(range).toStdString());
  return QSize(width, height);
}

QSize defaultGridFor(QSize picture) {
  if (picture.isEmpty()) return QSize(kMaxGridSide, kMaxGridSide);
  const double longer = std::max(picture.width(), picture.height());
  const auto side = [&](int pictureSide) {
    return std::max(kMinGridSide, static_cast<int>(std::lround(kMaxGridSide * (pictureSide / longer))));
  };
  return QSize(side(picture.width()), side(picture.height()));
}

}  // namespace tavro::edges_tool

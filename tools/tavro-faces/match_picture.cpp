#include "match_picture.h"

#include <QPainter>
#include <cmath>

#include "answer_output.h"
#include "drawing/image_canvas.h"
#include "files/native_names.h"
#include "imaging/image_processing.h"

namespace tavro::faces_tool {

namespace {

constexpr int kPanel = 200;  // 8 pixels a cell on a 25 x 25 grid
constexpr int kGap = 16;
constexpr int kLine = 20;
constexpr int kScaleBar = 14;
constexpr int kScaleSteps = 64;
constexpr std::int16_t kRedLevels = 1;  // show draws cell v as RGB(v, 0, 0)
const QColor kEmptyPanel(212, 208, 200);

QImage drawn(const classImageProcessing& grid, int width, int height) {
  ImageCanvas canvas(width, height);
  grid.show(canvas);
  return canvas.image();
}

// A grid of the recogniser's size filled cell by cell.
template <class Cell>
classImageProcessing filledGrid(std::int16_t width, std::int16_t height, std::int16_t processType, Cell cell) {
  classImageProcessing grid;
  grid.init(width, height);
  grid.setProcessType(processType);
  for (std::int16_t x = 0; x < width; ++x)
    for (std::int16_t y = 0; y < height; ++y) grid.setPoint(x, y, cell(x, y));
  return grid;
}

// 0 .. largest, in red levels 0 .. 255.
std::uint8_t heatLevel(int value, int largest) {
  return static_cast<std::uint8_t>(largest > 0 ? std::lround(255.0 * value / largest) : 0);
}

struct Panels {
  QImage matched;
  QImage average;
  QImage heat;
  int largestDifference = 0;
};

Panels drawPanels(const ProbeAnswer& answer, ClassFaceRecogniser& recogniser) {
  Panels panels;
  const std::int16_t width = recogniser.imageWidth();
  const std::int16_t height = recogniser.imageHeight();
  panels.average = drawn(filledGrid(width, height, 0,
                                [&](std::int16_t x, std::int16_t y) {
                                  return static_cast<std::uint8_t>(recogniser.averageFaceAt(x, y));
                                }),
                         kPanel, kPanel);
  const auto matched = recogniser.Identity();
  if (!answer.certainty.answerSlot || !matched) return panels;
  const int slot = *answer.certainty.answerSlot;
  panels.matched = drawn(*matched, kPanel, kPanel);
  const auto difference = [&](std::int16_t x, std::int16_t y) { return int{recogniser.scoreTermAt(slot, x, y)}; };
  for (std::int16_t x = 0; x < width; ++x)
    for (std::int16_t y = 0; y < height; ++y) panels.largestDifference = std::max(panels.largestDifference, difference(x, y));
  panels.heat = drawn(filledGrid(width, height, kRedLevels,
                             [&](std::int16_t x, std::int16_t y) {
                               return heatLevel(difference(x, y), panels.largestDifference);
                             }),
                      kPanel, kPanel);
  return panels;
}

QImage scaleBar() {
  const auto level = [](std::int16_t x, std::int16_t) { return heatLevel(x, kScaleSteps - 1); };
  return drawn(filledGrid(kScaleSteps, 1, kRedLevels, level), kPanel, kScaleBar);
}

QStringList summary(const ProbeAnswer& answer, std::optional<double> minMargin) {
  const MatchCertainty& certainty = answer.certainty;
  QStringList lines;
  if (!certainty.answerSlot) return {QStringLiteral("no stored face matches")};
  lines << QStringLiteral("score %1 (sum of the heat map's cells before scaling; 0 is identical)")
               .arg(certainty.score);
  if (certainty.runnerUp)
    lines << QStringLiteral("runner-up: face %1, score %2")
                 .arg(QString::fromStdString(certainty.runnerUp->faceName))
                 .arg(certainty.runnerUp->score)
          << QStringLiteral("margin %1 = (%2 - %3) / max(%3, 1)")
                 .arg(*certainty.margin(), 0, 'g', 4)
                 .arg(certainty.runnerUp->score)
                 .arg(certainty.score);
  else
    lines << QStringLiteral("runner-up: none, every stored face has the answer's name") << QStringLiteral("margin: none");
  if (minMargin)
    lines << (answer.uncertain ? QStringLiteral("uncertain: margin below %1") : QStringLiteral("sure: margin %1 or more"))
                 .arg(marginText(*minMargin));
  if (!answer.probeLoaded)
    lines << QStringLiteral("probe not loaded: the face box still shows the picture before it");
  return lines;
}

}  // namespace

QImage drawMatchPicture(const ProbeAnswer& answer, const QImage& workSurface, ClassFaceRecogniser& recogniser,
                        std::optional<double> minMargin) {
  const Panels panels = drawPanels(answer, recogniser);
  const QStringList lines = summary(answer, minMargin);
  const int panelsTop = kGap + 2 * kLine;
  const int scaleTop = panelsTop + kPanel + kGap / 2;
  const int textTop = scaleTop + kScaleBar + kLine + kGap / 2;
  QImage picture(kGap + 4 * (kPanel + kGap), textTop + kLine * static_cast<int>(lines.size()) + kGap,
                 QImage::Format_RGB32);
  picture.fill(Qt::white);

  QPainter painter(&picture);
  QFont font = painter.font();
  font.setPixelSize(13);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QString name = answer.faceName.empty() ? QStringLiteral("none") : QString::fromStdString(answer.faceName);
  painter.drawText(kGap, kGap + 13, QStringLiteral("%1: answer face %2").arg(displayName(answer.probe), name));

  const QString labels[] = {QStringLiteral("probe, as the face box shows it"),
                            QStringLiteral("matched stored face %1").arg(name), QStringLiteral("average face"),
                            QStringLiteral("|probe - match| differences")};
  const QImage images[] = {workSurface.scaled(kPanel, kPanel), panels.matched, panels.average, panels.heat};
  for (int i = 0; i < 4; ++i) {
    const int left = kGap + i * (kPanel + kGap);
    painter.drawText(left, panelsTop - 6, labels[i]);
    if (images[i].isNull())
      painter.fillRect(left, panelsTop, kPanel, kPanel, kEmptyPanel);
    else
      painter.drawImage(left, panelsTop, images[i]);
  }

  const int heatLeft = kGap + 3 * (kPanel + kGap);
  painter.drawImage(heatLeft, scaleTop, scaleBar());
  const QRect scaleLabels(heatLeft, scaleTop + kScaleBar, kPanel, kLine);
  painter.drawText(scaleLabels, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("0"));
  painter.drawText(scaleLabels, Qt::AlignRight | Qt::AlignVCenter, QString::number(panels.largestDifference));
  for (qsizetype i = 0; i < lines.size(); ++i)
    painter.drawText(kGap, textTop + kLine * static_cast<int>(i) + 13, lines[i]);
  return picture;
}

}  // namespace tavro::faces_tool

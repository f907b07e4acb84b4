// Qt Charts drawing of a one-column bar chart, rendered without showing a
// window.

#include "drawing/bar_chart_picture.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <string>

#include "platform/errors.h"

namespace tavro {

namespace {

constexpr int kMaxSide = 4096;
const QColor kBarColour(70, 110, 170);

// Row labels must be distinct for the category axis; anything else falls
// back to row numbers.
QStringList categoriesFor(std::size_t rows, const QStringList& labels) {
  QStringList distinct = labels;
  if (static_cast<std::size_t>(labels.size()) == rows && distinct.removeDuplicates() == 0) return labels;
  QStringList numbers;
  for (std::size_t i = 1; i <= rows; ++i) numbers << QString::number(i);
  return numbers;
}

QChart* buildChart(const std::vector<std::int16_t>& values, const QStringList& labels, const QString& title) {
  auto* bars = new QBarSet(QString());
  bars->setColor(kBarColour);
  for (std::int16_t v : values) bars->append(v);
  auto* series = new QBarSeries;
  series->append(bars);

  auto* chart = new QChart;
  chart->addSeries(series);
  chart->setTitle(title);
  chart->legend()->hide();
  chart->setAnimationOptions(QChart::NoAnimation);

  auto* rowAxis = new QBarCategoryAxis;
  rowAxis->append(categoriesFor(values.size(), labels));
  chart->addAxis(rowAxis, Qt::AlignBottom);
  series->attachAxis(rowAxis);

  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  auto* valueAxis = new QValueAxis;
  valueAxis->setRange(std::min(0, values.empty() ? 0 : int{*low}),
                      std::max(1, values.empty() ? 1 : int{*high}));
  valueAxis->applyNiceNumbers();
  valueAxis->setLabelFormat("%d");
  chart->addAxis(valueAxis, Qt::AlignLeft);
  series->attachAxis(valueAxis);
  return chart;
}

}  // namespace

QImage drawBarChart(const std::vector<std::int16_t>& values, const QStringList& labels,
                    const QString& title, QSize size) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    throw Error(ErrorKind::Platform, "Drawing a chart needs a running QApplication");
  if (size.width() < 1 || size.height() < 1 || size.width() > kMaxSide || size.height() > kMaxSide)
    throw Error(ErrorKind::Platform, "Chart size " + std::to_string(size.width()) + " x " +
                                         std::to_string(size.height()) + " is not supported");

  QChartView view(buildChart(values, labels, title));  // the view owns the chart
  view.setRenderHint(QPainter::Antialiasing);
  view.resize(size);
  const QImage image = view.grab().toImage();
  if (image.isNull()) throw Error(ErrorKind::Platform, "Out of memory");
  return image;
}

}  // namespace tavro

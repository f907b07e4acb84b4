// The chart's member protocol: names checked exactly, values checked before
// they are kept, so a refused call changes nothing. The drawing is Qt
// Charts', rendered without showing a window.

#include "drawing/bar_chart.h"

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

#include "drawing/png_file.h"
#include "platform/errors.h"

namespace tavro {

namespace {

constexpr std::string_view kChartType = "chartType";
constexpr std::string_view kRowCount = "RowCount";
constexpr std::string_view kColumnCount = "ColumnCount";
constexpr std::string_view kRow = "Row";
constexpr std::string_view kData = "Data";
constexpr std::string_view kRefresh = "Refresh";

[[noreturn]] void refuseMember(std::string_view name) {
  if (name == kRefresh)
    throw Error(ErrorKind::Platform, "The chart member \"Refresh\" is a method, not a property");
  if (name == kChartType || name == kRowCount || name == kColumnCount || name == kRow || name == kData)
    throw Error(ErrorKind::Platform, "The chart member \"" + std::string(name) + "\" is a property, not a method");
  throw Error(ErrorKind::Platform, "The chart has no member named \"" + std::string(name) + "\"");
}

[[noreturn]] void refuseValue(std::string_view name, std::int16_t value, const std::string& allowed) {
  throw Error(ErrorKind::Platform, "Invalid value " + std::to_string(value) + " for the chart member \"" +
                                       std::string(name) + "\": " + allowed);
}

constexpr int kMaxSide = 4096;
const QColor kBarColour(70, 110, 170);

// Row labels must be distinct for the category axis; else the rows are numbered.
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

void BarChart::setProperty(std::string_view name, std::int16_t value) {
  if (name == kChartType) {
    if (value != kBarsStyle) refuseValue(name, value, "only style 7 (bars) is available");
  } else if (name == kRowCount) {  // rows that remain keep their values; new rows start at 0
    if (value < 0) refuseValue(name, value, "the row count cannot be negative");
    values_.resize(static_cast<std::size_t>(value), 0);
  } else if (name == kColumnCount) {
    if (value != 1) refuseValue(name, value, "this chart shows one column");
  } else if (name == kRow) {
    if (value < 1 || value > static_cast<std::int64_t>(values_.size()))
      refuseValue(name, value, "rows run from 1 to " + std::to_string(values_.size()));
    row_ = value;
  } else if (name == kData) {
    currentValue() = value;
  } else {
    refuseMember(name);
  }
}

std::int16_t BarChart::property(std::string_view name) {
  if (name == kChartType) return kBarsStyle;
  if (name == kRowCount) return static_cast<std::int16_t>(values_.size());
  if (name == kColumnCount) return 1;
  if (name == kRow) return row_;
  if (name == kData) return currentValue();
  refuseMember(name);
}

void BarChart::invoke(std::string_view method) {
  if (method != kRefresh) refuseMember(method);
  shown_ = values_;
}

QImage BarChart::picture(QSize size) const {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    throw Error(ErrorKind::Platform, "Drawing a chart needs a running QApplication");
  if (size.width() < 1 || size.height() < 1 || size.width() > kMaxSide || size.height() > kMaxSide)
    throw Error(ErrorKind::Platform, "Chart size " + std::to_string(size.width()) + " x " +
                                         std::to_string(size.height()) + " is not supported");

  QChartView view(buildChart(shown_, rowLabels_, title_));  // the view owns the chart
  view.setRenderHint(QPainter::Antialiasing);
  view.resize(size);
  const QImage image = view.grab().toImage();
  if (image.isNull()) throw Error(ErrorKind::Platform, "Out of memory");
  return image;
}

void BarChart::savePng(const QString& path, QSize size) const { writePngFile(picture(size), path); }

// The current row can fall outside a row count made smaller after it was chosen.
std::int16_t& BarChart::currentValue() {
  if (row_ < 1 || row_ > static_cast<std::int64_t>(values_.size()))
    throw Error(ErrorKind::Platform, "The chart has no row " + std::to_string(row_) + " (it has " +
                                         std::to_string(values_.size()) + " rows)");
  return values_[static_cast<std::size_t>(row_ - 1)];
}

}  // namespace tavro

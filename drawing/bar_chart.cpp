// The chart's member protocol: names checked exactly, values checked before
// they are kept, so a refused call changes nothing.

#include "drawing/bar_chart.h"

#include <string>

#include "drawing/bar_chart_picture.h"
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

bool isProperty(std::string_view name) {
  return name == kChartType || name == kRowCount || name == kColumnCount || name == kRow ||
         name == kData;
}

[[noreturn]] void refuseMember(std::string_view name) {
  if (name == kRefresh)
    throw Error(ErrorKind::Platform, "The chart member \"Refresh\" is a method, not a property");
  if (isProperty(name))
    throw Error(ErrorKind::Platform, "The chart member \"" + std::string(name) + "\" is a property, not a method");
  throw Error(ErrorKind::Platform, "The chart has no member named \"" + std::string(name) + "\"");
}

[[noreturn]] void refuseValue(std::string_view name, std::int16_t value, const std::string& allowed) {
  throw Error(ErrorKind::Platform, "Invalid value " + std::to_string(value) + " for the chart member \"" +
                                       std::string(name) + "\": " + allowed);
}

}  // namespace

void BarChart::setProperty(std::string_view name, std::int16_t value) {
  if (name == kChartType) {
    if (value != kBarsStyle) refuseValue(name, value, "only style 7 (bars) is available");
  } else if (name == kRowCount) {
    setRowCount(value);
  } else if (name == kColumnCount) {
    if (value != 1) refuseValue(name, value, "this chart shows one column");
  } else if (name == kRow) {
    setCurrentRow(value);
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

QImage BarChart::picture(QSize size) const { return drawBarChart(shown_, rowLabels_, title_, size); }

void BarChart::savePng(const QString& path, QSize size) const { writePngFile(picture(size), path); }

// Rows that remain keep their values; new rows start at 0.
void BarChart::setRowCount(std::int16_t rows) {
  if (rows < 0) refuseValue(kRowCount, rows, "the row count cannot be negative");
  values_.resize(static_cast<std::size_t>(rows), 0);
}

void BarChart::setCurrentRow(std::int16_t row) {
  if (row < 1 || row > static_cast<std::int64_t>(values_.size()))
    refuseValue(kRow, row, "rows run from 1 to " + std::to_string(values_.size()));
  row_ = row;
}

// The current row can fall outside a row count made smaller after it was chosen.
std::int16_t& BarChart::currentValue() {
  if (row_ < 1 || row_ > static_cast<std::int64_t>(values_.size()))
    throw Error(ErrorKind::Platform, "The chart has no row " + std::to_string(row_) + " (it has " +
                                         std::to_string(values_.size()) + " rows)");
  return values_[static_cast<std::size_t>(row_ - 1)];
}

}  // namespace tavro

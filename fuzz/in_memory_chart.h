#pragma once
// A bar chart held in memory that follows the chart members' rules (style 7,
// one column, rows 1..RowCount, a row chosen before its data) and throws
// tavro::Error for anything else. It can also misreport its row count by a
// fixed amount, as a chart supplied by a caller might.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/chart.h"
#include "platform/errors.h"

namespace tavro::fuzz {

class InMemoryChart : public Chart {
 public:
  static constexpr int kMaxRows = 1000;

  explicit InMemoryChart(int rowCountError) : rowCountError_(rowCountError) {}

  void setProperty(std::string_view name, std::int16_t value) override {
    if (name == "chartType" && value == 7) return;
    if (name == "ColumnCount" && value == 1) return;
    if (name == "RowCount" && value >= 0 && value <= kMaxRows) {
      rows_.resize(static_cast<std::size_t>(value), 0);
      return;
    }
    if (name == "Row" && value >= 1 && value <= static_cast<int>(rows_.size())) {
      row_ = value;
      return;
    }
    if (name == "Data" && row_ >= 1 && row_ <= static_cast<int>(rows_.size())) {
      rows_[static_cast<std::size_t>(row_ - 1)] = value;
      return;
    }
    refuse(name);
  }

  std::int16_t property(std::string_view name) override {
    if (name != "RowCount") refuse(name);
    const long reported = static_cast<long>(rows_.size()) + rowCountError_;
    return static_cast<std::int16_t>(std::clamp<long>(reported, INT16_MIN, INT16_MAX));
  }

  void invoke(std::string_view method) override {
    if (method != "Refresh") refuse(method);
  }

 private:
  [[noreturn]] static void refuse(std::string_view member) {
    throw Error(ErrorKind::Platform, "The chart refuses \"" + std::string(member) + "\"");
  }

  int rowCountError_;
  std::vector<std::int16_t> rows_;
  int row_ = 0;
};

}  // namespace tavro::fuzz

// Putting the edge class counts and the orientation histogram onto a chart
// that is driven by member name only.

#include "imaging/checked_arithmetic.h"
#include "imaging/image_processing.h"

namespace tavro {

namespace {

constexpr std::int16_t kBarChartStyle = 7;
constexpr std::int16_t kEdgeClassRows = 5;
constexpr std::int16_t kAngleBinRows = 18;

// Sets up a one-column chart of `rows` rows and fills it from `table`, one
// row per slot. The loop follows the row count the chart reports back, so a
// chart reporting more rows than the table has slots stops at the first slot
// past the end, its row already selected, and is not refreshed.
template <std::size_t N>
void chartTable(Chart& chart, std::int16_t rows, const FixedArray<std::int16_t, N>& table) {
  chart.setProperty("chartType", kBarChartStyle);
  chart.setProperty("RowCount", rows);
  chart.setProperty("ColumnCount", 1);
  const std::int16_t lastRow = checked::sub16(chart.property("RowCount"), 1);
  for (std::int32_t i = 0; i <= lastRow; ++i) {
    chart.setProperty("Row", checked::add16(i, 1));
    chart.setProperty("Data", table.at(i));
  }
  chart.invoke("Refresh");
}

}  // namespace

void classImageProcessing::showEdgeHistogram(Chart& chart) const { chartTable(chart, kEdgeClassRows, edgeCounts_); }

void classImageProcessing::showAngleHistogram(Chart& chart) const { chartTable(chart, kAngleBinRows, angleHistogram_); }

}  // namespace tavro

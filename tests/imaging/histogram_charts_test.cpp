// Histograms onto a chart driven by member name: exact call sequences on a
// recording chart.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/image_processing.h"
#include "tests/imaging/error_kind_of.h"

namespace tavro {
namespace {

struct ChartCall {
  std::string kind;  // "set", "get" or "invoke"
  std::string member;
  std::int16_t value = 0;
  bool operator==(const ChartCall&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ChartCall& c) {
  return out << c.kind << " " << c.member << "=" << c.value;
}

// Records every member call. Reads of "RowCount" answer what was set, or a
// forced count; a member named in `missing` is refused like an absent one.
class RecordingChart : public Chart {
 public:
  void setProperty(std::string_view name, std::int16_t value) override {
    refuseIfMissing(name);
    calls.push_back({"set", std::string(name), value});
    if (name == "RowCount") rowCount = value;
  }
  std::int16_t property(std::string_view name) override {
    refuseIfMissing(name);
    const std::int16_t value = name == "RowCount" ? reportedRows.value_or(rowCount) : 0;
    calls.push_back({"get", std::string(name), value});
    return value;
  }
  void invoke(std::string_view method) override {
    refuseIfMissing(method);
    calls.push_back({"invoke", std::string(method), 0});
  }

  std::vector<ChartCall> calls;
  std::optional<std::int16_t> reportedRows;
  std::string missing;

 private:
  void refuseIfMissing(std::string_view name) const {
    if (name == missing) throw Error(ErrorKind::Platform, "Object doesn't support this property or method");
  }
  std::int16_t rowCount = 0;
};

ChartCall set(const char* member, std::int16_t v) { return {"set", member, v}; }
ChartCall get(const char* member, std::int16_t v) { return {"get", member, v}; }
ChartCall refresh() { return {"invoke", "Refresh", 0}; }

std::vector<ChartCall> header(std::int16_t rows, std::int16_t reported) {
  return {set("chartType", 7), set("RowCount", rows), set("ColumnCount", 1), get("RowCount", reported)};
}

void appendRows(std::vector<ChartCall>& calls, const std::vector<std::int16_t>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    calls.push_back(set("Row", static_cast<std::int16_t>(i + 1)));
    calls.push_back(set("Data", values[i]));
  }
}

TEST(HistogramCharts, BeforeAnyDetectionOrTracingEveryRowShowsZero) {
  const classImageProcessing grid;  // no init needed: the tables exist from creation
  for (bool angles : {false, true}) {
    RecordingChart chart;
    angles ? grid.showAngleHistogram(chart) : grid.showEdgeHistogram(chart);
    const std::int16_t rows = angles ? 18 : 5;
    std::vector<ChartCall> expected = header(rows, rows);
    appendRows(expected, std::vector<std::int16_t>(rows, 0));
    expected.push_back(refresh());
    EXPECT_EQ(chart.calls, expected) << (angles ? "angles" : "edges");
  }
}

TEST(HistogramCharts, ChartReportingFewerRowsGetsOnlyThoseAndARefresh) {
  const classImageProcessing grid;
  for (std::int16_t reported : {0, 2, -4}) {
    RecordingChart chart;
    chart.reportedRows = reported;
    grid.showAngleHistogram(chart);
    std::vector<ChartCall> expected = header(18, reported);
    appendRows(expected, std::vector<std::int16_t>(std::max<int>(reported, 0), 0));
    expected.push_back(refresh());
    EXPECT_EQ(chart.calls, expected) << "reported " << reported;
  }
}

TEST(HistogramCharts, ChartReportingTheSpareSlotShowsIt) {
  // Six rows reach the never-written slot 5 of the edge counts, still 0.
  const classImageProcessing grid;
  RecordingChart chart;
  chart.reportedRows = 6;
  grid.showEdgeHistogram(chart);
  std::vector<ChartCall> expected = header(5, 6);
  appendRows(expected, {0, 0, 0, 0, 0, 0});
  expected.push_back(refresh());
  EXPECT_EQ(chart.calls, expected);
}

TEST(HistogramCharts, ChartReportingMoreRowsThanSlotsFailsOutOfRangeWithoutRefresh) {
  struct Case {
    bool angles;
    std::int16_t reported;
    std::int16_t slots;
  };
  for (const Case& c : {Case{false, 7, 6}, Case{true, 20, 19}, Case{false, 300, 6}}) {
    const classImageProcessing grid;
    RecordingChart chart;
    chart.reportedRows = c.reported;
    errorOf(ErrorKind::SubscriptOutOfRange,
            [&] { c.angles ? grid.showAngleHistogram(chart) : grid.showEdgeHistogram(chart); });
    // Every slot was shown, the row past the table was selected, nothing more.
    std::vector<ChartCall> expected = header(c.angles ? 18 : 5, c.reported);
    appendRows(expected, std::vector<std::int16_t>(c.slots, 0));
    expected.push_back(set("Row", static_cast<std::int16_t>(c.slots + 1)));
    EXPECT_EQ(chart.calls, expected) << "reported " << c.reported;
  }
}

TEST(HistogramCharts, LowestReportedRowCountOverflowsBeforeAnyRow) {
  const classImageProcessing grid;
  RecordingChart chart;
  chart.reportedRows = -32768;
  errorOf(ErrorKind::Overflow, [&] { grid.showEdgeHistogram(chart); });
  EXPECT_EQ(chart.calls, header(5, -32768));
}

TEST(HistogramCharts, MissingMemberEndsTheMethodWithTheChartsError) {
  const classImageProcessing grid;
  struct Case {
    const char* missing;
    std::size_t callsBefore;
  };
  // chartType, RowCount (set), ColumnCount, RowCount (get), Row/Data x 5, Refresh.
  for (const Case& c : {Case{"chartType", 0}, Case{"ColumnCount", 2}, Case{"Data", 5},
                        Case{"Refresh", 14}}) {
    RecordingChart chart;
    chart.missing = c.missing;
    EXPECT_EQ(errorOf(ErrorKind::Platform, [&] { grid.showEdgeHistogram(chart); }),
              "Object doesn't support this property or method")
        << c.missing;
    EXPECT_EQ(chart.calls.size(), c.callsBefore) << c.missing;
  }
}

TEST(HistogramCharts, EdgeHistogramShowsTheCountsOfTheLastDetection) {
  // The only examined window of a 4 x 4 grid is the ideal rising diagonal.
  classImageProcessing grid;
  grid.init(4, 4);
  grid.setPoint(2, 0, 255);
  grid.setPoint(1, 1, 255);
  grid.setPoint(0, 2, 255);
  grid.getEdges();
  RecordingChart chart;
  grid.showEdgeHistogram(chart);
  std::vector<ChartCall> expected = header(5, 5);
  appendRows(expected, {0, 0, 1, 0, 0});
  expected.push_back(refresh());
  EXPECT_EQ(chart.calls, expected);
}

TEST(HistogramCharts, AngleHistogramShowsTheBinsOfTheLastTracing) {
  // One segment from (20, 3) west to (5, 3): length 15 at 90.05 degrees, bin 9.
  classImageProcessing grid;
  grid.init(25, 25);
  for (std::int16_t x = 5; x <= 20; ++x) grid.setPoint(x, 3, 100);
  std::int16_t x = 20, y = 3, length = 0;
  ASSERT_TRUE(grid.traceEdgesFromPoint(x, y, length));
  grid.traceEdges();  // starts nothing on covered cells, then rebuilds the histogram
  ASSERT_EQ(grid.noOfEdgeTraces(), 1);
  RecordingChart chart;
  grid.showAngleHistogram(chart);
  std::vector<std::int16_t> bins(18, 0);
  bins[9] = 15;
  std::vector<ChartCall> expected = header(18, 18);
  appendRows(expected, bins);
  expected.push_back(refresh());
  EXPECT_EQ(chart.calls, expected);
}

}  // namespace
}  // namespace tavro

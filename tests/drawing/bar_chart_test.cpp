// The Qt Charts bar chart: exactly the six members, values checked, what the
// last Refresh showed saved as a PNG.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include "drawing/bar_chart.h"
#include "imaging/image_processing.h"
#include "platform/errors.h"

namespace tavro {
namespace {

// One application for the whole process; never destroyed, as Qt allows only one.
void ensureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "drawing_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

template <class F>
std::string platformErrorOf(F&& call) {
  try {
    call();
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Platform);
    return e.what();
  }
  ADD_FAILURE() << "expected a platform error";
  return {};
}

bool hasBarPixel(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == qRgb(70, 110, 170)) return true;
  return false;
}

TEST(DrawingBarChart, TakesTheEdgeHistogramThroughItsMembers) {
  const classImageProcessing grid;
  BarChart chart;
  grid.showEdgeHistogram(chart);
  EXPECT_EQ(chart.values(), std::vector<std::int16_t>(5, 0));
  EXPECT_EQ(chart.shownValues(), std::vector<std::int16_t>(5, 0));
  EXPECT_EQ(chart.property("RowCount"), 5);
  EXPECT_EQ(chart.property("ColumnCount"), 1);
  EXPECT_EQ(chart.property("chartType"), 7);
  EXPECT_EQ(chart.property("Row"), 5);
}

TEST(DrawingBarChart, RowSelectsWhichValueDataSetsAndReads) {
  BarChart chart;
  chart.setProperty("RowCount", 3);
  chart.setProperty("Row", 2);
  chart.setProperty("Data", -7);
  chart.setProperty("Row", 3);
  chart.setProperty("Data", 12);
  EXPECT_EQ(chart.property("Data"), 12);
  chart.setProperty("Row", 2);
  EXPECT_EQ(chart.property("Data"), -7);
  EXPECT_EQ(chart.values(), (std::vector<std::int16_t>{0, -7, 12}));
}

TEST(DrawingBarChart, RowCountKeepsTheRowsThatRemain) {
  BarChart chart;
  chart.setProperty("RowCount", 2);
  chart.setProperty("Row", 1);
  chart.setProperty("Data", 4);
  chart.setProperty("RowCount", 4);
  EXPECT_EQ(chart.values(), (std::vector<std::int16_t>{4, 0, 0, 0}));
  chart.setProperty("RowCount", 1);
  EXPECT_EQ(chart.values(), (std::vector<std::int16_t>{4}));
}

TEST(DrawingBarChart, RefreshShowsTheValuesSetSoFarOnly) {
  BarChart chart;
  chart.setProperty("RowCount", 2);
  chart.setProperty("Data", 3);  // row 1 is current from the start
  chart.invoke("Refresh");
  chart.setProperty("Row", 2);
  chart.setProperty("Data", 9);
  EXPECT_EQ(chart.shownValues(), (std::vector<std::int16_t>{3, 0}));
  EXPECT_EQ(chart.values(), (std::vector<std::int16_t>{3, 9}));
}

TEST(DrawingBarChart, RefusesEveryOtherMemberName) {
  BarChart chart;
  for (const char* name : {"rowcount", "Column", "", "Refresh ", "Title", "chartype"}) {
    const std::string message = platformErrorOf([&] { chart.setProperty(name, 1); });
    EXPECT_NE(message.find(std::string("\"") + name + "\""), std::string::npos) << message;
    platformErrorOf([&] { chart.property(name); });
    platformErrorOf([&] { chart.invoke(name); });
  }
}

TEST(DrawingBarChart, RefusesAMethodAsPropertyAndAPropertyAsMethod) {
  BarChart chart;
  EXPECT_NE(platformErrorOf([&] { chart.setProperty("Refresh", 1); }).find("method"), std::string::npos);
  EXPECT_NE(platformErrorOf([&] { chart.property("Refresh"); }).find("method"), std::string::npos);
  for (const char* name : {"chartType", "RowCount", "ColumnCount", "Row", "Data"})
    EXPECT_NE(platformErrorOf([&] { chart.invoke(name); }).find("property"), std::string::npos) << name;
}

TEST(DrawingBarChart, RefusesValuesItCannotShowAndKeepsItsState) {
  BarChart chart;
  chart.setProperty("RowCount", 2);
  platformErrorOf([&] { chart.setProperty("chartType", 3); });
  platformErrorOf([&] { chart.setProperty("ColumnCount", 2); });
  platformErrorOf([&] { chart.setProperty("ColumnCount", 0); });
  platformErrorOf([&] { chart.setProperty("RowCount", -1); });
  platformErrorOf([&] { chart.setProperty("Row", 0); });
  platformErrorOf([&] { chart.setProperty("Row", 3); });
  EXPECT_EQ(chart.property("RowCount"), 2);
  EXPECT_EQ(chart.property("Row"), 1);
}

TEST(DrawingBarChart, DataWithoutAnyRowIsRefused) {
  BarChart chart;  // no rows yet
  platformErrorOf([&] { chart.setProperty("Data", 1); });
  platformErrorOf([&] { chart.property("Data"); });
  chart.setProperty("RowCount", 3);
  chart.setProperty("Row", 3);
  chart.setProperty("RowCount", 2);  // the current row is gone
  platformErrorOf([&] { chart.setProperty("Data", 1); });
}

TEST(DrawingBarChart, SavesWhatTheLastRefreshShowedAsPng) {
  ensureApplication();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());

  BarChart empty;
  empty.setProperty("RowCount", 3);
  empty.invoke("Refresh");
  const QString emptyPath = dir.filePath("empty.png");
  empty.savePng(emptyPath, QSize(320, 200));
  const QImage emptyPicture(emptyPath, "PNG");
  ASSERT_FALSE(emptyPicture.isNull());
  EXPECT_EQ(emptyPicture.size(), QSize(320, 200));
  EXPECT_FALSE(hasBarPixel(emptyPicture));

  BarChart chart;
  chart.setTitle("Edge classes");
  chart.setRowLabels({"horizontal", "vertical"});
  chart.setProperty("RowCount", 2);
  chart.setProperty("Data", 5);
  chart.invoke("Refresh");
  const QString path = dir.filePath("chart.png");
  chart.savePng(path);
  EXPECT_GT(QFileInfo(path).size(), 0);
  const QImage picture(path, "PNG");
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(640, 400));
  EXPECT_TRUE(hasBarPixel(picture));
}

TEST(DrawingBarChart, SavingToAnUnwritablePlaceOrSizeIsRefused) {
  ensureApplication();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  BarChart chart;
  platformErrorOf([&] { chart.savePng(dir.filePath("no/such/folder/chart.png")); });
  platformErrorOf([&] { chart.savePng(dir.filePath("chart.png"), QSize(0, 100)); });
}

TEST(DrawingBarChart, SavingWithoutAnApplicationIsRefused) {
  if (QCoreApplication::instance() != nullptr) GTEST_SKIP() << "an application already runs in this process";
  BarChart chart;
  QTemporaryDir dir;
  const std::string message = platformErrorOf([&] { chart.savePng(dir.filePath("chart.png")); });
  EXPECT_NE(message.find("QApplication"), std::string::npos) << message;
}

}  // namespace
}  // namespace tavro

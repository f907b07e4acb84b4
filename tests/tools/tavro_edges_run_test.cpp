// tavro-edges end to end: run on a generated picture, the files it writes,
// its exit status and its error messages.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "tool_run.h"

namespace {

using tavro::testing::ToolRun;

ToolRun runTool(const QStringList& args,
                const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  return tavro::testing::runProgram(QStringLiteral(TAVRO_EDGES_PATH), args, environment);
}

// 120 x 90 pixels: the left half black, the right half white.
QString writeHalfAndHalfPicture(const QTemporaryDir& dir) {
  QImage picture(120, 90, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter(&picture).fillRect(0, 0, 60, 90, Qt::black);
  const QString path = dir.filePath("halves.bmp");
  EXPECT_TRUE(picture.save(path, "BMP"));
  return path;
}

const QStringList kViews = {"grid", "edge-classes", "traces", "edge-histogram", "angle-histogram"};

class TavroEdges : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QTemporaryDir dir;
};

TEST_F(TavroEdges, WritesFivePngViewsAndSaysWhereToANewFolder) {
  const QString picture = writeHalfAndHalfPicture(dir);
  const QString out = dir.filePath("views/new");
  const ToolRun run = runTool({picture, "--grid", "32x24", "--out", out});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  for (const QString& view : kViews) {
    const QString path = QDir(out).filePath("halves-" + view + ".png");
    EXPECT_TRUE(run.out.contains("wrote " + path)) << run.out.toStdString();
    EXPECT_GT(QFileInfo(path).size(), 0) << path.toStdString();
    EXPECT_FALSE(QImage(path, "PNG").isNull()) << path.toStdString();
  }
}

TEST_F(TavroEdges, ViewsShowTheSampledGridItsVerticalEdgeAndTheTracedCells) {
  const QString picture = writeHalfAndHalfPicture(dir);
  const ToolRun run = runTool({picture, "--grid", "32x24", "--out", dir.path()});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();

  // 16 pixels per cell. Blocks of 4 pixels: column 15 reads pixels 56..59
  // (black), column 16 reads 60..63 (white).
  const QImage grid(dir.filePath("halves-grid.png"), "PNG");
  ASSERT_EQ(grid.size(), QSize(512, 384));
  EXPECT_EQ(grid.pixel(248, 100), qRgb(0, 0, 0));
  EXPECT_EQ(grid.pixel(264, 100), qRgb(255, 255, 255));

  // The window over grid columns 14..16 is 0, 0, 255 in every row: a vertical
  // edge in edge column 7 of 16, drawn as the left side of its cells at x 224.
  const QImage classes(dir.filePath("halves-edge-classes.png"), "PNG");
  ASSERT_EQ(classes.size(), QSize(512, 384));
  EXPECT_EQ(classes.pixel(224, 100), qRgb(0, 0, 0));
  EXPECT_EQ(classes.pixel(100, 100), qRgb(255, 255, 255));

  // Edge strength 0.5 lies on grid column 16; tracing covers those cells, washed
  // yellow over the faded picture (black shows as 128, white as 255).
  const QImage traces(dir.filePath("halves-traces.png"), "PNG");
  ASSERT_EQ(traces.size(), QSize(512, 384));
  EXPECT_EQ(traces.pixel(264, 100), qRgb(255, 242, 195));
  EXPECT_EQ(traces.pixel(100, 100), qRgb(128, 128, 128));
  EXPECT_EQ(traces.pixel(400, 100), qRgb(255, 255, 255));
}

TEST_F(TavroEdges, ScalesAPictureTooLargeForItsGridDownJustEnoughAndSaysSo) {
  // At 3 x 3, 640 x 480 pixels make cells of 213 x 160 = 34080 pixels, more
  // than the grid counts; cells of 208 x 156 fit, at 625 x 469 pixels.
  QImage picture(640, 480, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter(&picture).fillRect(0, 0, 320, 480, Qt::black);
  const QString path = dir.filePath("wide.png");
  ASSERT_TRUE(picture.save(path, "PNG"));
  const ToolRun run = runTool({path, "--grid", "3x3", "--out", dir.path()});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("tavro-edges: " + path + " is 640 x 480 pixels; sampled scaled down to 625 x 469")) << run.err.toStdString();

  // Each cell is the mean of its third of the picture: black, half black
  // and half white (127.5, give or take the averaging's rounding), white.
  const QImage grid(dir.filePath("wide-grid.png"), "PNG");
  ASSERT_EQ(grid.size(), QSize(510, 510));
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(grid.pixel(85, row * 170 + 85), qRgb(0, 0, 0));
    EXPECT_NEAR(qGray(grid.pixel(255, row * 170 + 85)), 127.5, 2.0);
    EXPECT_EQ(grid.pixel(425, row * 170 + 85), qRgb(255, 255, 255));
  }
}

TEST_F(TavroEdges, RunsWithoutAnyDisplayAndKeepsThePicturesShapeWithoutGrid) {
  const QString picture = writeHalfAndHalfPicture(dir);
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) environment.remove(name);
  const ToolRun run = runTool({picture, "--out", dir.path()}, environment);
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_GT(QFileInfo(dir.filePath("halves-angle-histogram.png")).size(), 0);
  EXPECT_EQ(QImage(dir.filePath("halves-grid.png")).size(), QSize(512, 384));  // 4:3 kept: 128 x 96 cells
}

TEST_F(TavroEdges, MissingPictureFailsWithAMessageAndWritesNothing) {
  const QString out = dir.filePath("out");
  const ToolRun run = runTool({dir.filePath("nowhere.jpg"), "--out", out});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.contains("tavro-edges: ")) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("nowhere.jpg")) << run.err.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(TavroEdges, FileThatIsNoPictureFailsWithAMessage) {
  const QString path = dir.filePath("notes.jpg");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("these are notes, not a picture\n");
  file.close();
  const ToolRun run = runTool({path, "--out", dir.path()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.contains("notes.jpg")) << run.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("notes-grid.png")));
}

TEST_F(TavroEdges, UnwritableOutputFolderFailsWithAMessage) {
  const QString picture = writeHalfAndHalfPicture(dir);
  QFile blocker(dir.filePath("taken"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const ToolRun run = runTool({picture, "--out", dir.filePath("taken/views")});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.contains("Cannot create the folder " + dir.filePath("taken/views") + ": Not a directory")) << run.err.toStdString();
}

TEST_F(TavroEdges, BadUsageFailsWithStatusTwo) {
  const QString picture = writeHalfAndHalfPicture(dir);
  const QList<QStringList> cases = {
      {picture, "--grid", "2x8"},    {picture, "--grid", "129x8"}, {picture, "--grid", "64"},
      {picture, "--grid", "-4x-4"},  {},                           {picture, "--colour"},
  };
  for (const QStringList& args : cases) {
    const ToolRun run = runTool(args + QStringList{"--out", dir.path()});
    EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
    EXPECT_TRUE(run.err.contains("tavro-edges: ")) << run.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("halves-grid.png")));
}

TEST_F(TavroEdges, HelpDescribesTheOptions) {
  const ToolRun run = runTool({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.contains("PICTURE"));
  EXPECT_TRUE(run.out.contains("--grid <WxH>"));
  EXPECT_TRUE(run.out.contains("--out <DIR>"));
}

}  // namespace

// The pipeline of tavro-edges: picture -> grid -> edges -> PNG views.

#include "edge_views.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

#include "grid_picture.h"
#include "imaging/image_processing.h"
#include "platform/drawing/bar_chart.h"
#include "platform/drawing/image_canvas.h"
#include "platform/errors.h"
#include "platform/picture/picture_loader.h"

namespace tavro::edges_tool {

namespace {

// Views are drawn about this many pixels across, in whole pixels per cell.
constexpr int kViewPixels = 512;
// Wide enough for 18 labelled bars.
constexpr QSize kChartSize(900, 420);

QSize viewSize(QSize grid) {
  const int pixelsPerCell = std::max(1, kViewPixels / std::max(grid.width(), grid.height()));
  return grid * pixelsPerCell;
}

// Says on standard error, in one line, that the grid samples a smaller copy.
void noteScaling(const QString& path, const GridPicture& picture) {
  if (picture.sampledSize() == picture.loadedSize()) return;
  QTextStream(stderr) << QStringLiteral("tavro-edges: %1 is %2 x %3 pixels; sampled scaled down to %4 x %5 (area average) "
                                        "so that a grid cell covers at most %6 pixels\n")
                             .arg(path)
                             .arg(picture.loadedSize().width())
                             .arg(picture.loadedSize().height())
                             .arg(picture.sampledSize().width())
                             .arg(picture.sampledSize().height())
                             .arg(kMaxPixelsPerCell);
}

QStringList angleBinLabels() {
  QStringList labels;
  for (int from = 0; from < 180; from += 10) labels << QString::number(from);
  return labels;
}

class ViewWriter {
 public:
  explicit ViewWriter(const EdgeViewsRequest& request)
      : folder_(request.outputFolder),
        stem_(QFileInfo(request.picturePath).completeBaseName()),
        canvasSize_(viewSize(request.grid)) {
    if (!QDir().mkpath(folder_.path()))
      throw Error(ErrorKind::Platform, "Cannot create the output folder " + folder_.path().toStdString());
  }

  template <class Draw>
  void drawing(const QString& name, Draw draw) {
    ImageCanvas canvas(canvasSize_.width(), canvasSize_.height());
    draw(canvas);
    canvas.savePng(next(name));
  }

  void chart(const QString& name, BarChart& chart) { chart.savePng(next(name), kChartSize); }

  const QStringList& written() const { return written_; }

 private:
  QString next(const QString& name) {
    written_ << folder_.filePath(stem_ + "-" + name + ".png");
    return written_.back();
  }

  QDir folder_;
  QString stem_;
  QSize canvasSize_;
  QStringList written_;
};

}  // namespace

QStringList writeEdgeViews(const EdgeViewsRequest& request) {
  classImageProcessing grid;
  {
    // The grey picture, sampled in grey so the packed colour reads its
    // brightness, is let go once the grid holds it.
    PictureLoadOptions grey;
    grey.grey = true;
    GridPicture picture(loadPicture(request.picturePath, grey), request.grid);
    noteScaling(request.picturePath, picture);
    grid.init(static_cast<std::int16_t>(request.grid.width()), static_cast<std::int16_t>(request.grid.height()));
    grid.update(picture);
  }
  grid.getEdges();

  classImageProcessing edges;
  edges.init(grid.width(), grid.height());
  edges.getImageEdges(grid);

  ViewWriter writer(request);
  writer.drawing("grid", [&](Canvas& c) { grid.show(c); });
  writer.drawing("edge-classes", [&](Canvas& c) { grid.showEdges(c); });
  writer.drawing("traces", [&](Canvas& c) { edges.showEdgeTraces(c); });

  BarChart edgeChart;
  edgeChart.setTitle(QStringLiteral("Edge classes"));
  edgeChart.setRowLabels({"horizontal", "vertical", "rising", "falling", "cross"});
  grid.showEdgeHistogram(edgeChart);
  writer.chart("edge-histogram", edgeChart);

  BarChart angleChart;
  angleChart.setTitle(QStringLiteral("Trace directions: length per 10-degree bin, from vertical"));
  angleChart.setRowLabels(angleBinLabels());
  edges.showAngleHistogram(angleChart);
  writer.chart("angle-histogram", angleChart);

  return writer.written();
}

}  // namespace tavro::edges_tool

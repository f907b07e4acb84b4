// The pipeline of tavro-edges: picture -> grid -> edges -> PNG views.

#include "edge_views.h"

#include <QTextStream>
#include <algorithm>
#include <utility>
#include <vector>

#include "drawing/bar_chart.h"
#include "drawing/image_canvas.h"
#include "drawing/png_file.h"
#include "files/entries.h"
#include "files/file_set.h"
#include "files/native_names.h"
#include "grid_picture.h"
#include "imaging/image_processing.h"
#include "pictures/picture_loader.h"
#include "platform/errors.h"

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
                             .arg(displayName(path))
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

// The five views, drawn in memory, then written as one set.
class ViewWriter {
 public:
  explicit ViewWriter(const EdgeViewsRequest& request)
      : request_(request), stem_(fileStem(request.picturePath)), canvasSize_(viewSize(request.grid)) {}

  template <class Draw>
  void drawing(const QString& name, Draw draw) {
    ImageCanvas canvas(canvasSize_.width(), canvasSize_.height());
    draw(canvas);
    views_.emplace_back(name, canvas.image());
  }

  void chart(const QString& name, const BarChart& chart) { views_.emplace_back(name, chart.picture(kChartSize)); }

  // All five files, or none of their names created or changed.
  QStringList write() const {
    makeFolder(request_.outputFolder);
    FileSet files(request_.outputFolder);
    for (const auto& [name, picture] : views_) files.add(stem_ + "-" + name + ".png", encodePng(picture));
    const QStringList paths = files.paths();
    files.commit();
    return paths;
  }

 private:
  const EdgeViewsRequest& request_;
  QString stem_;
  QSize canvasSize_;
  std::vector<std::pair<QString, QImage>> views_;
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

  return writer.write();
}

}  // namespace tavro::edges_tool

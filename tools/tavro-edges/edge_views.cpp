// The pipeline of tavro-edges: picture -> grid -> edges -> PNG views.

#include "edge_views.h"

#include <QTextStream>
#include <QList>
#include <algorithm>
#include <optional>
#include <utility>

#include "drawing/bar_chart.h"
#include "drawing/image_canvas.h"
#include "drawing/png_file.h"
#include "files/entries.h"
#include "files/file_set.h"
#include "files/native_names.h"
#include "grid_option.h"
#include "grid_picture.h"
#include "imaging/image_processing.h"
#include "pictures/picture_loader.h"
#include "platform/errors.h"
#include "trace_overlay.h"

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

const QStringList kViewNames = {"grid", "edge-classes", "traces", "edge-histogram", "angle-histogram"};

// The five views, drawn in memory, then written as one set.
class ViewWriter {
 public:
  ViewWriter(const EdgeViewsRequest& request, QSize canvasSize) : request_(request), canvasSize_(canvasSize) {}

  template <class Draw>
  void drawing(Draw draw) {
    ImageCanvas canvas(canvasSize_.width(), canvasSize_.height());
    draw(canvas);
    add(canvas.image());
  }
  void add(const QImage& view) { views_.push_back(view); }
  void chart(const BarChart& chart) { add(chart.picture(kChartSize)); }

  // All five files, or none of their names created or changed.
  QStringList write(GuardedFiles& guarded) const {
    makeFolder(request_.outputFolder);
    const QString stem = freeStem(guarded);
    FileSet files(request_.outputFolder);
    for (qsizetype i = 0; i < views_.size(); ++i) {
      const QString name = stem + "-" + kViewNames[i] + ".png";
      guarded.guard(request_.outputFolder + u'/' + name);
      files.add(name, encodePng(views_[i]));
    }
    const QStringList paths = files.paths();
    files.commit();
    return paths;
  }

 private:
  // The picture's stem, or the first of stem-2, stem-3, ... none of whose
  // five names is guarded.
  QString freeStem(const GuardedFiles& guarded) const {
    const QString base = fileStem(request_.picturePath);
    const auto free = [&](const QString& stem) {
      return std::none_of(kViewNames.begin(), kViewNames.end(), [&](const QString& view) {
        return guarded.isGuarded(request_.outputFolder, stem + "-" + view + ".png");
      });
    };
    QString stem = base;
    for (int n = 2; !free(stem); ++n) stem = QStringLiteral("%1-%2").arg(base).arg(n);
    return stem;
  }

  const EdgeViewsRequest& request_;
  QSize canvasSize_;
  QList<QImage> views_;  // in the order of kViewNames
};

}  // namespace

QStringList writeEdgeViews(const EdgeViewsRequest& request, GuardedFiles& guarded) {
  classImageProcessing grid;
  std::optional<TraceOverlayCanvas> traces;
  {
    // The grey picture, sampled in grey so the packed colour reads its
    // brightness, is let go once the grid holds it; the traces view keeps
    // a faded copy of the view's size.
    PictureLoadOptions grey;
    grey.grey = true;
    QImage loaded = loadPicture(request.picturePath, grey);
    const QSize gridSize = request.grid.value_or(defaultGridFor(loaded.size()));
    GridPicture picture(std::move(loaded), gridSize);
    noteScaling(request.picturePath, picture);
    grid.init(static_cast<std::int16_t>(gridSize.width()), static_cast<std::int16_t>(gridSize.height()));
    grid.update(picture);
    traces.emplace(picture.sampled(), viewSize(gridSize));
  }
  grid.getEdges();

  classImageProcessing edges;
  edges.init(grid.width(), grid.height());
  edges.getImageEdges(grid);

  ViewWriter writer(request, viewSize(QSize(grid.width(), grid.height())));
  writer.drawing([&](Canvas& c) { grid.show(c); });
  writer.drawing([&](Canvas& c) { grid.showEdges(c); });
  edges.showEdgeTraces(*traces);
  writer.add(traces->image());

  BarChart edgeChart;
  edgeChart.setTitle(QStringLiteral("Edge classes"));
  edgeChart.setRowLabels({"horizontal", "vertical", "rising", "falling", "cross"});
  grid.showEdgeHistogram(edgeChart);
  writer.chart(edgeChart);

  BarChart angleChart;
  angleChart.setTitle(QStringLiteral("Trace directions: length per 10-degree bin, from vertical"));
  angleChart.setRowLabels(angleBinLabels());
  edges.showAngleHistogram(angleChart);
  writer.chart(angleChart);

  return writer.write(guarded);
}

}  // namespace tavro::edges_tool

#pragma once
// Everything tavro-edges writes for one picture: the sampled grid, its edge
// class map, the edge traces and the two histograms, as PNG files.

#include <QSize>
#include <QString>
#include <QStringList>

namespace tavro::edges_tool {

struct EdgeViewsRequest {
  QString picturePath;
  QSize grid;
  QString outputFolder;
};

// Loads and samples the picture, runs edge detection and the edge-strength
// summary with tracing, and writes the five views into the output folder
// (created when missing), each named after the picture's fileStem: all five, or none
// of their names created or changed. Names may hold raw bytes (see
// files/native_names.h). Returns the paths written, in order.
// Throws tavro::Error on the first failure. Needs a running QApplication for
// the charts.
QStringList writeEdgeViews(const EdgeViewsRequest& request);

}  // namespace tavro::edges_tool

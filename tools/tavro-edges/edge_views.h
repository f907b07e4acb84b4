#pragma once
// Everything tavro-edges writes for one picture: the sampled grid, its edge
// class map, the edge traces and the two histograms, as PNG files.

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

#include "files/file_set.h"

namespace tavro::edges_tool {

struct EdgeViewsRequest {
  QString picturePath;
  std::optional<QSize> grid;  // none: defaultGridFor the picture's size
  QString outputFolder;
};

// Loads and samples the picture, runs edge detection and the edge-strength
// summary with tracing, and writes the five views into the output folder
// (created when missing): all five, or none of their names created or
// changed. They are named after the picture's fileStem, or after the stem
// with "-2", "-3", ... when one of the five names is guarded (an input of
// the run, or a view it wrote already); the names chosen are guarded from
// then on. Names may hold raw bytes (see files/native_names.h). Returns the
// paths written, in order.
// Throws tavro::Error on the first failure. Needs a running QApplication for
// the charts.
QStringList writeEdgeViews(const EdgeViewsRequest& request, GuardedFiles& guarded);

}  // namespace tavro::edges_tool

#pragma once
// A picture of one answer, for --explain: four labelled panels (the probe as
// the face box shows it, the stored face it matched, the average face, and
// the per-cell absolute difference between the probe's and the match's
// difference grids as a heat map with its scale), and under them the score,
// the runner-up and the margin. Grids are drawn by their own show on an
// ImageCanvas. Needs a running QGuiApplication for the lettering.

#include <QImage>
#include <optional>

#include "face/face_recogniser.h"
#include "probe_identification.h"

namespace tavro::faces_tool {

// Draws the answer the recogniser gave last; workSurface is pic0 as shown.
QImage drawMatchPicture(const ProbeAnswer& answer, const QImage& workSurface, ClassFaceRecogniser& recogniser,
                        std::optional<double> minMargin);

}  // namespace tavro::faces_tool

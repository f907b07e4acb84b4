#pragma once
// The playing speed stored in a finished AVI file: the main header's time per
// frame and the video stream's rate over scale. Players and readers take the
// speed from these; the frames themselves are not touched.

#include <QString>

namespace tavro {

// Rewrites the rate in place, to a thousandth of a frame a second. Throws
// Error(Platform) with the reason when the file cannot be read or written,
// holds no AVI video header, or the rate is outside 0.01 to 1000.
void setAviFrameRate(const QString& path, double framesPerSecond);

}  // namespace tavro

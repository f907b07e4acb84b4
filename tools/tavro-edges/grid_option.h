#pragma once
// The --grid option: "WxH", each side within what the edge toolkit handles.

#include <QSize>
#include <QString>

namespace tavro::edges_tool {

// Sides of 3 to 128 cells: fewer leaves no 3x3 window to examine, more lets
// the 16-bit distances of edge tracing overflow.
inline constexpr int kMinGridSide = 3;
inline constexpr int kMaxGridSide = 128;

// Without --grid: kMaxGridSide cells along the picture's longer side, the
// other side in proportion (rounded, at least kMinGridSide), so that the
// grid keeps the picture's shape. A square grid for an empty size.
QSize defaultGridFor(QSize picture);

// Throws tavro::Error(Platform) with a message saying what is wrong.
QSize parseGridOption(const QString& text);

}  // namespace tavro::edges_tool

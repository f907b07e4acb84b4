#pragma once
// The --grid option: "WxH", each side within what the edge toolkit handles.

#include <QSize>
#include <QString>

namespace tavro::edges_tool {

// Sides of 3 to 128 cells: fewer leaves no 3x3 window to examine, more lets
// the 16-bit distances of edge tracing overflow.
inline constexpr int kMinGridSide = 3;
inline constexpr int kMaxGridSide = 128;
inline constexpr QSize kDefaultGrid{128, 128};

// Throws tavro::Error(Platform) with a message saying what is wrong.
QSize parseGridOption(const QString& text);

}  // namespace tavro::edges_tool

#pragma once
// Draws a one-column bar chart with Qt Charts into an image.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace tavro {

// One bar per value, labelled by `labels` where given and by its row number
// (from 1) otherwise. Needs a running QApplication; throws Error(Platform)
// without one.
QImage drawBarChart(const std::vector<std::int16_t>& values, const QStringList& labels,
                    const QString& title, QSize size);

}  // namespace tavro

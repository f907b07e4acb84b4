#pragma once
// A one-column bar chart driven by member name, as the histogram views drive
// a chart: "chartType", "RowCount", "ColumnCount", "Row", "Data" and the
// method "Refresh". Any other name, or a value it cannot show, is refused
// with Error(Platform). What the last "Refresh" showed can be saved as PNG.

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "platform/chart.h"

namespace tavro {

class BarChart : public Chart {
 public:
  static constexpr std::int16_t kBarsStyle = 7;  // the one style this chart draws

  void setProperty(std::string_view name, std::int16_t value) override;
  std::int16_t property(std::string_view name) override;
  void invoke(std::string_view method) override;

  // Captions of the drawing; rows without a label show their number.
  void setTitle(const QString& title) { title_ = title; }
  void setRowLabels(const QStringList& labels) { rowLabels_ = labels; }

  // The values set so far, and those the last "Refresh" showed.
  const std::vector<std::int16_t>& values() const noexcept { return values_; }
  const std::vector<std::int16_t>& shownValues() const noexcept { return shown_; }

  // Draws what the last "Refresh" showed; Error(Platform) without a running QApplication.
  QImage picture(QSize size = QSize(640, 400)) const;
  // The same as a PNG file, whole or not at all; Error(Platform) also when it cannot be.
  void savePng(const QString& path, QSize size = QSize(640, 400)) const;

 private:
  std::int16_t& currentValue();

  std::int16_t row_ = 1;
  std::vector<std::int16_t> values_;
  std::vector<std::int16_t> shown_;
  QString title_;
  QStringList rowLabels_;
};

}  // namespace tavro

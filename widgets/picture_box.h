#pragma once
// The picture box control: a two-pixel sunken border around the drawing area
// of its model, which it repaints whenever the model changes. Screen readers
// hear it as a graphic whose description is the model's.

#include <QWidget>

#include "widgets/picture_box_model.h"

namespace tavro {

class PictureBox : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kBorder = 2;

  explicit PictureBox(PictureBoxModel model, QWidget* parent = nullptr);

  PictureBoxModel& model() { return model_; }
  const PictureBoxModel& model() const { return model_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PictureBoxModel model_;
};

}  // namespace tavro

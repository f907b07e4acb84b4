#pragma once
// What the recognition commands change on the window besides the picture
// boxes.

#include <QString>

namespace tavro {

class RecognitionView {
 public:
  virtual ~RecognitionView() = default;
  virtual void setCheckImageEnabled(bool enabled) = 0;
  virtual void setTrainCaption(const QString& caption) = 0;
  // Makes the "Identified" label and pic1 visible.
  virtual void showIdentificationArea() = 0;
};

}  // namespace tavro

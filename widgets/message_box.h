#pragma once
// What the commands report through: the window's modal dialog, the tests' record, a tool's printout.

#include <QString>

class QWidget;

namespace tavro {

inline const QString kApplicationTitle = QStringLiteral("Tavro CAM");

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Shows the text and returns once the user has dismissed it.
  virtual void show(const QString& text) = 0;
};

// A modal dialog with the application's title, an OK button only, and the text as plain text.
class DialogMessageBox : public MessageBox {
 public:
  explicit DialogMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  void show(const QString& text) override;

 private:
  QWidget* parent_;
};

}  // namespace tavro

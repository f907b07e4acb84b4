#pragma once
// The message box the commands report through. The window shows a modal
// dialog; tests record the texts; a command-line tool prints them.

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

// A modal dialog with an OK button only and the application's title; the
// text is plain text.
class DialogMessageBox : public MessageBox {
 public:
  explicit DialogMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  void show(const QString& text) override;

 private:
  QWidget* parent_;
};

}  // namespace tavro

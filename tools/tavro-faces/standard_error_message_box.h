#pragma once
// The tool's message box: what the window would show in a dialog is written
// to standard error, one line per message, and the run carries on.

#include <QTextStream>

#include "widgets/message_box.h"

namespace tavro::faces_tool {

class StandardErrorMessageBox : public MessageBox {
 public:
  void show(const QString& text) override {
    QTextStream(stderr) << "tavro-faces: " << text << Qt::endl;
  }
};

}  // namespace tavro::faces_tool

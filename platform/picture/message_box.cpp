#include "platform/picture/message_box.h"

#include <QMessageBox>

namespace tavro {

void DialogMessageBox::show(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent_);
  box.exec();
}

}  // namespace tavro

#include "widgets/message_box.h"

#include <QMessageBox>

namespace tavro {

void DialogMessageBox::show(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent_);
  box.setTextFormat(Qt::PlainText);  // a file name is shown as typed, never as markup
  box.exec();
}

}  // namespace tavro

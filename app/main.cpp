// Tavro CAM: opens the window; closing it ends the program.

#include <QApplication>

#include "app/tavro_recog.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavro CAM"));
  tavro::TAVRO_RECOG window;
  window.show();
  return QApplication::exec();
}

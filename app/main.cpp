// Tavro CAM: opens the window; closing it ends the program.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/tavro_recog.h"
#include "platform/capture/frame_grabber.h"

int main(int argc, char* argv[]) {
  int status = 0;
  {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavro CAM"));
    tavro::TAVRO_RECOG window;
    window.show();
    status = QApplication::exec();
  }
  // A camera thread still blocked in its driver must not meet the teardown
  // of the program's globals: end without it.
  if (tavro::captureThreadsLeftRunning() > 0) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}

// recording_child MODE PATH, meeting signals as the window does: "record"
// records into PATH until a signal ends it, "exit" calls exit() a second in
// (as Qt does when the display goes), "snapshot" writes PATH and says how it went.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/process_signals.h"
#include "capture/ez_vid_cap.h"

int main(int argc, char* argv[]) {
  if (argc != 3) return 2;
  QApplication application(argc, argv);
  tavro::handleProcessSignals();
  const QString mode = QString::fromLocal8Bit(argv[1]);
  const QString path = QString::fromLocal8Bit(argv[2]);
  tavro::ezVidCap control;
  try {
    if (mode == "snapshot") return control.WriteFrameFile(path), std::puts("written"), 0;
    control.setRecordFileName(path);
    control.StartRecording();
  } catch (const std::exception& error) {
    return std::puts(error.what()), 0;
  }
  if (mode == "exit") QTimer::singleShot(1000, [] { std::exit(3); });
  return QApplication::exec();
}

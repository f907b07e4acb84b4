// recording_child MODE PATH: a process whose end the tests bring about. It
// meets signals as the window does. "record" records into PATH until a
// signal ends it; "exit" calls exit() a second into the recording, as Qt
// does when the display goes; "snapshot" writes one snapshot to PATH and
// prints the outcome.

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
  tavro::ezVidCap control;
  try {
    if (mode == "snapshot") {
      control.WriteFrameFile(QString::fromLocal8Bit(argv[2]));
      std::puts("written");
      return 0;
    }
    control.setRecordFileName(QString::fromLocal8Bit(argv[2]));
    control.StartRecording();
  } catch (const std::exception& error) {
    std::puts(error.what());
    return 0;
  }
  if (mode == "exit") QTimer::singleShot(1000, [] { std::exit(3); });
  return QApplication::exec();
}

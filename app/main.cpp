// tavro-cam [--faces DIR] [--camera SOURCE] [--find-face]: opens the Tavro CAM window;
// closing it ends the program. --help and --version print and end before
// any display is needed.

#include <QApplication>
#include <QIcon>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/face_folder.h"
#include "app/process_signals.h"
#include "app/tavro_recog.h"
#include "app/window_command_line.h"
#include "build_info.h"
#include "capture/frame_grabber.h"
#include "files/entries.h"
#include "files/native_names.h"
#include "platform/standard_output.h"

int main(int argc, char* argv[]) {
  using tavro::WindowCommandLine;
  // Names as the system has them, raw bytes kept (Qt's arguments lose them).
  const QStringList arguments = tavro::nativeArguments(argc, argv);
  const WindowCommandLine commandLine = tavro::parseWindowCommandLine(arguments, std::getenv("TAVRO_CAMERA"));
  switch (commandLine.action) {
    case WindowCommandLine::Action::ShowHelp:
    case WindowCommandLine::Action::ShowVersion:
      return tavro::printAndFinish("tavro-cam", commandLine.text.toStdString());
    case WindowCommandLine::Action::Refuse:
      std::fprintf(stderr, "tavro-cam: %s (see --help)\n", commandLine.text.toLocal8Bit().constData());
      return tavro::kUsageError;
    case WindowCommandLine::Action::OpenWindow:
      break;
  }
  std::unique_ptr<tavro::FaceFinder> finder;
  try {
    if (commandLine.findFace) finder = std::make_unique<tavro::FaceFinder>();
  } catch (const tavro::Error& e) {
    std::fprintf(stderr, "tavro-cam: %s\n", e.what());
    return tavro::kOutputFailed;
  }

  // Every argument was read above, so Qt gets the program's name only.
  static int qtArgumentCount = 1;
  int status = 0;
  {
    tavro::provideRuntimeFolder();  // else Qt warns when started from ssh, cron or runuser
    QApplication application(qtArgumentCount, argv);
    QApplication::setApplicationName(QStringLiteral("Tavro CAM"));
    QApplication::setApplicationVersion(QString::fromLatin1(tavro::build::kVersion));
    // Lets the desktop shell match the window to its desktop entry and icon.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(tavro::build::kDesktopEntry));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(tavro::build::kDesktopEntry)));
    // SIGTERM, SIGHUP and SIGINT quit the event loop, so the window below
    // closes and finishes a recording; SIGXFSZ is ignored.
    tavro::handleProcessSignals();

    tavro::TAVRO_RECOG window(tavro::FaceFolder::ofThisProgram(commandLine.faces).path(), commandLine.camera);
    if (finder) window.findFaces(std::move(finder));
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

#pragma once
// The command line of the window, read before any window or display exists:
//   tavro-cam [--faces DIR] [--camera SOURCE] [--find-face]
//   tavro-cam --help | --version

#include <QString>
#include <QStringList>

#include "capture/source_choice.h"

namespace tavro {

struct WindowCommandLine {
  enum class Action { OpenWindow, ShowHelp, ShowVersion, Refuse };
  Action action = Action::OpenWindow;
  // The help text or the version line to print; for Refuse, why.
  QString text;
  // --faces as given, "" when not.
  QString faces;
  // --camera when given, else TAVRO_CAMERA (cameraVariable below).
  CameraSetting camera;
  // --find-face: faces found in the pictures, not their corners.
  bool findFace = false;
};

// arguments: the program's name first. cameraVariable: the value of
// TAVRO_CAMERA, null when unset.
WindowCommandLine parseWindowCommandLine(const QStringList& arguments, const char* cameraVariable);

// Exit statuses of tavro-cam besides the window's own 0.
inline constexpr int kOutputFailed = 1;  // also: no face cascade for --find-face
inline constexpr int kUsageError = 2;

}  // namespace tavro

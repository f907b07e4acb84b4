#include "faces_options.h"

#include <QFileInfo>

#include "app/face_folder.h"
#include "app/recognition_session.h"
#include "face/face_recogniser.h"

namespace tavro::faces_tool {

namespace {

QString description() {
  return QStringLiteral(
             "Trains the face database from the face files of a folder and tells, for each probe\n"
             "picture, which stored face it resembles most: what \"Train Database\" and\n"
             "\"Check IMAGE\" do in the Tavro CAM window, with no window and no display.\n"
             "\n"
             "Training: each run adds 40 faces, face0a.jpg .. face19a.jpg then face0b.jpg ..\n"
             "face19b.jpg (the format is read from the content, BMP, JPEG, PNG and more). A missing\n"
             "or unreadable face file is still added, built from the picture the work surface\n"
             "showed before it (at first a plain placeholder); an unreadable one is reported on\n"
             "standard error. Runs add up: --runs 2 reads the face files twice and stores 80\n"
             "faces; on equal scores the face stored first wins. At most %1 runs fit the database.\n"
             "\n"
             "Output: one line per probe, three fields separated by tabs: the probe path, the face\n"
             "name found (the face number), and the matched number's \"a\" file, which the window\n"
             "shows beside the probe (empty when that file is missing or unreadable). With --json,\n"
             "one JSON array of objects with the fields probe, faceName, faceFile (null when\n"
             "not shown), probeLoaded and storedFaces.\n"
             "\n"
             "A probe that is missing or unreadable leaves the work surface as it was, as in the\n"
             "window: its answer is printed, but it is for the picture shown before, and it counts\n"
             "as not identified.\n"
             "\n"
             "Exit status: 0 when every probe was identified; 1 when a probe was not (missing,\n"
             "unreadable, or the recogniser failed) or training failed; 2 for a command line\n"
             "that cannot be run (unknown option, bad --runs, missing folder, no probe).")
      .arg(maxTrainingRuns());
}

}  // namespace

int maxTrainingRuns() { return ClassFaceRecogniser::kCapacity / RecognitionSession::kFacesPerRun; }

FacesCommandLine::FacesCommandLine()
    : facesOption_(QStringLiteral("faces"),
                   QStringLiteral("Folder of the face files (default: the window's, the folder of the program "
                                  "or, once installed, $XDG_DATA_HOME/tavro-cam)."),
                   QStringLiteral("DIR")),
      runsOption_(QStringLiteral("runs"),
                  QStringLiteral("Training runs before identifying, 1 to %1 (default 1).").arg(maxTrainingRuns()),
                  QStringLiteral("N"), QStringLiteral("1")),
      jsonOption_(QStringLiteral("json"), QStringLiteral("Print the answers as one JSON array.")) {
  parser_.setApplicationDescription(description());
  parser_.addHelpOption();
  parser_.addVersionOption();
  parser_.addOption(facesOption_);
  parser_.addOption(runsOption_);
  parser_.addOption(jsonOption_);
  parser_.addPositionalArgument(QStringLiteral("PROBE"), QStringLiteral("Picture file to identify."),
                                QStringLiteral("PROBE..."));
}

bool FacesCommandLine::parse(const QStringList& arguments, const QString& programDirectory) {
  if (!parser_.parse(arguments)) throw UsageError(parser_.errorText());
  if (parser_.isSet(QStringLiteral("help")) || versionAsked()) return false;

  options_ = FacesOptions{};
  options_.runs = parseRuns(parser_.value(runsOption_));
  options_.json = parser_.isSet(jsonOption_);
  // The window's face folder, or the one chosen, as a full path.
  const QString chosen = parser_.value(facesOption_);
  options_.facesDirectory = FaceFolder(programDirectory, QProcessEnvironment::systemEnvironment(), chosen).path();
  if ((parser_.isSet(facesOption_) && chosen.isEmpty()) || !QFileInfo(options_.facesDirectory).isDir())
    throw UsageError(
        QStringLiteral("no such folder of face files: %1").arg(chosen.isEmpty() ? options_.facesDirectory : chosen));
  options_.probes = parser_.positionalArguments();
  if (options_.probes.isEmpty()) throw UsageError(QStringLiteral("give at least one PROBE picture"));
  return true;
}

int parseRuns(const QString& text) {
  bool ok = false;
  const int runs = text.toInt(&ok);
  if (!ok || runs < 1 || runs > maxTrainingRuns())
    throw UsageError(QStringLiteral("--runs takes a whole number from 1 to %1 (the database holds %2 faces, "
                                    "a run adds %3), not \"%4\"")
                         .arg(maxTrainingRuns())
                         .arg(ClassFaceRecogniser::kCapacity)
                         .arg(RecognitionSession::kFacesPerRun)
                         .arg(text));
  return runs;
}

}  // namespace tavro::faces_tool

#include "faces_options.h"

#include <cmath>

#include "app/face_folder.h"
#include "app/recognition_session.h"
#include "face/face_recogniser.h"
#include "files/entries.h"
#include "files/native_names.h"

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
             "standard error, and one line after training names the missing and unreadable ones.\n"
             "A folder that holds no readable face file at all is an error. Runs\n"
             "add up: --runs 2 reads the face files twice and stores 80 faces; on equal scores the\n"
             "face stored first wins. At most %1 runs fit the database.\n"
             "\n"
             "Probes are paths as the shell gives them, used as they are (a \\ is part of a name,\n"
             "not a separator). A probe that is missing or unreadable leaves the work surface as it\n"
             "was, as in the window: its answer is printed, but it is for the picture shown\n"
             "before, and it counts as not identified.\n"
             "\n"
             "Output: one line per probe, fields separated by tabs: the probe path, the face name\n"
             "found (the face number), and the matched number's \"a\" file, which the window shows\n"
             "beside the probe (empty when that file is missing or unreadable). A tab, a newline\n"
             "or a backslash inside a field is written as \\t, \\n or \\\\. --scores adds four\n"
             "fields: the score, the runner-up's face name, its score, and the margin (empty\n"
             "without a runner-up); --min-margin adds a last field, \"uncertain\" or \"sure\".\n"
             "With --json, one JSON array of objects with the fields probe, faceName, faceFile\n"
             "(null when not shown), probeLoaded, storedFaces, score (null when no face matched),\n"
             "runnerUp ({faceName, score}, or null), margin (or null) and uncertain.\n"
             "\n"
             "Score: the sum of absolute differences between the probe's and the stored face's\n"
             "differences from the average face; lower is closer, 0 is identical. The raw score\n"
             "does not tell a stranger from a stored person: it depends on the picture more than\n"
             "on the person. The runner-up is the closest stored face of another name, and\n"
             "margin = (runner-up score - score) / max(score, 1): a large margin means the answer\n"
             "stood out, a small one that another person was nearly as close. To choose M for\n"
             "--min-margin, identify extra pictures of the stored people themselves and compare\n"
             "the margins of the right and the wrong answers. The window calls an answer\n"
             "uncertain below a margin of %2.\n"
             "\n"
             "Files: --explain pictures are named after the probe (visitor.jpg gives visitor.png);\n"
             "a name that would write over a probe, a face file or a picture of the same run\n"
             "gets -2, -3, ... instead. They are written to a temporary file beside their name and\n"
             "renamed into place only when whole; a name taken by a link is replaced, never\n"
             "written through; a file replaced keeps its permissions, and a read-only one is not\n"
             "replaced. On Ctrl-C or SIGTERM the temporary files are removed (exit status 130\n"
             "or 143).\n"
             "\n"
             "Exit status: 0 when every probe was identified; 1 when a probe was not (missing,\n"
             "unreadable, or the recogniser failed), training failed or found no face file, a\n"
             "picture or standard output could not be written; 2 for a command line that cannot\n"
             "be run (unknown option, bad --runs or --min-margin, missing folder, no probe).")
      .arg(maxTrainingRuns())
      .arg(kDefaultMinMargin);
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
      jsonOption_(QStringLiteral("json"), QStringLiteral("Print the answers as one JSON array.")),
      scoresOption_(QStringLiteral("scores"),
                    QStringLiteral("Add score, runner-up, runner-up score and margin to each line.")),
      minMarginOption_(QStringLiteral("min-margin"),
                       QStringLiteral("Mark answers whose margin is below M, or that have no runner-up, "
                                      "as uncertain (M a number, 0 or more). Without it nothing is marked; "
                                      "the window's status line uses %1.")
                           .arg(kDefaultMinMargin),
                       QStringLiteral("M")),
      explainOption_(QStringLiteral("explain"),
                     QStringLiteral("Write one PNG per probe into DIR showing the match (created when "
                                    "missing)."),
                     QStringLiteral("DIR")),
      findFaceOption_(QStringLiteral("find-face"),
                      QStringLiteral("Find the face in each face file and probe and use it, cut to fill the "
                                     "face box, in place of the picture's top-left corner: for uncropped "
                                     "photos, not for tightly cropped faces. A picture with no face found is "
                                     "used as it is, and said so. Needs the Debian package opencv-data.")) {
  parser_.setApplicationDescription(description());
  parser_.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                       QStringLiteral("Displays this help.")));
  parser_.addVersionOption();
  parser_.addOption(facesOption_);
  parser_.addOption(runsOption_);
  parser_.addOption(jsonOption_);
  parser_.addOption(scoresOption_);
  parser_.addOption(minMarginOption_);
  parser_.addOption(explainOption_);
  parser_.addOption(findFaceOption_);
  parser_.addPositionalArgument(QStringLiteral("PROBE"), QStringLiteral("Picture file to identify."),
                                QStringLiteral("PROBE..."));
}

bool FacesCommandLine::parse(const QStringList& arguments, const QString& programDirectory) {
  if (!parser_.parse(arguments)) throw UsageError(parser_.errorText());
  if (parser_.isSet(QStringLiteral("help")) || versionAsked()) return false;

  options_ = FacesOptions{};
  options_.runs = parseRuns(parser_.value(runsOption_));
  options_.json = parser_.isSet(jsonOption_);
  options_.scores = parser_.isSet(scoresOption_);
  if (parser_.isSet(minMarginOption_)) options_.minMargin = parseMinMargin(parser_.value(minMarginOption_));
  options_.explainFolder = parser_.value(explainOption_);
  options_.findFace = parser_.isSet(findFaceOption_);
  if (parser_.isSet(explainOption_) && options_.explainFolder.isEmpty())
    throw UsageError(QStringLiteral("--explain needs a folder"));
  // The window's face folder, or the one chosen, as a full path.
  const QString chosen = parser_.value(facesOption_);
  options_.facesDirectory = FaceFolder(programDirectory, QProcessEnvironment::systemEnvironment(), chosen).path();
  if ((parser_.isSet(facesOption_) && chosen.isEmpty()) || !isFolder(options_.facesDirectory))
    throw UsageError(QStringLiteral("no such folder of face files: %1")
                         .arg(displayName(chosen.isEmpty() ? options_.facesDirectory : chosen)));
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

double parseMinMargin(const QString& text) {
  bool ok = false;
  const double margin = text.toDouble(&ok);
  if (!ok || !std::isfinite(margin) || margin < 0)
    throw UsageError(QStringLiteral("--min-margin takes a number, 0 or more, not \"%1\"").arg(displayName(text)));
  return margin;
}

}  // namespace tavro::faces_tool

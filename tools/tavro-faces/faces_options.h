#pragma once
// The command line of tavro-faces:
//   tavro-faces [--faces DIR] [--runs N] [--json] [--scores] [--min-margin M]
//               [--explain DIR] [--find-face] PROBE...

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

namespace tavro::faces_tool {

// A command line that cannot be carried out; the text says why.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const QString& message) : std::runtime_error(message.toStdString()) {}
};

struct FacesOptions {
  QString facesDirectory;
  int runs = 1;
  bool json = false;
  bool scores = false;               // score, runner-up and margin columns
  std::optional<double> minMargin;   // answers below it are marked uncertain
  QString explainFolder;             // where the match pictures go; empty: none
  bool findFace = false;             // faces found in the pictures, not their corners
  QStringList probes;
};

// As many runs as fit the face database: 1001 faces, 40 a run.
int maxTrainingRuns();

class FacesCommandLine {
 public:
  FacesCommandLine();

  // Parses the arguments (the program name first; names may hold raw bytes,
  // see files/native_names.h). Returns false when help or the
  // version was asked for; throws UsageError for anything that cannot be
  // run. The face folder, --faces or the window's, follows FaceFolder for a
  // program in programDirectory.
  bool parse(const QStringList& arguments, const QString& programDirectory);
  bool versionAsked() const { return parser_.isSet(QStringLiteral("version")); }

  const FacesOptions& options() const { return options_; }
  QString helpText() const { return parser_.helpText(); }

 private:
  QCommandLineParser parser_;
  QCommandLineOption facesOption_;
  QCommandLineOption runsOption_;
  QCommandLineOption jsonOption_;
  QCommandLineOption scoresOption_;
  QCommandLineOption minMarginOption_;
  QCommandLineOption explainOption_;
  QCommandLineOption findFaceOption_;
  FacesOptions options_;
};

// "--runs" as a whole number from 1 to maxTrainingRuns(); UsageError otherwise.
int parseRuns(const QString& text);
// "--min-margin" as a finite number, 0 or more; UsageError otherwise.
double parseMinMargin(const QString& text);

}  // namespace tavro::faces_tool

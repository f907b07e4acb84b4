// tavro-faces [--faces DIR] [--runs N] [--json] [--scores] [--min-margin M]
// [--explain DIR] [--find-face] PROBE...: trains the face database from the
// face files of a folder and identifies each probe, as the window's "Train
// Database" and "Check IMAGE" do.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>
#include <QTextStream>
#include <csignal>
#include <exception>
#include <memory>

#include "answer_output.h"
#include "build_info.h"
#include "explain_files.h"
#include "faces_options.h"
#include "app/file_names.h"
#include "app/recognition_session.h"
#include "files/entries.h"
#include "files/file_set.h"
#include "files/native_names.h"
#include "match_picture.h"
#include "platform/errors.h"
#include "platform/standard_output.h"
#include "probe_identification.h"
#include "standard_error_message_box.h"

namespace {

constexpr int kNotIdentified = 1;
constexpr int kUsageError = 2;

void complain(const QString& message) { QTextStream(stderr) << "tavro-faces: " << message << Qt::endl; }

QString errorText(const std::exception& e) { return QString::fromStdString(e.what()); }

// Standard output that cannot be written is a failure too.
int print(const QByteArray& text, int status) {
  try {
    tavro::writeStandardOutput(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  } catch (const tavro::Error& e) {
    complain(errorText(e));
    return kNotIdentified;
  }
  return status;
}

// Pictures are decoded and sampled in memory: no display, no GUI application.
// Only the lettering of --explain pictures needs one, on the offscreen platform.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray argument(argv[i]);
    if (argument == "--") break;
    if (argument == "--explain" || argument.startsWith("--explain=")) {
      if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
      tavro::provideRuntimeFolder();
      return std::make_unique<QGuiApplication>(argc, argv);
    }
  }
  return std::make_unique<QCoreApplication>(argc, argv);
}

// Why training had nothing to learn from: the folder could not be read, or
// held none of the face files.
QString noFaceFilesMessage(const QString& folder) {
  const QString reason = tavro::folderUnreadableReason(folder);
  if (!reason.isEmpty())
    return QStringLiteral("cannot read the folder of face files %1: %2").arg(tavro::displayName(folder), reason);
  return QStringLiteral("%1 holds no readable face file (face0a.jpg .. face19b.jpg)").arg(tavro::displayName(folder));
}

QString noFaceFound(const QString& path) {
  return QStringLiteral("no face found in %1; used as it is").arg(tavro::displayName(path));
}

// The run's inputs, which no --explain picture may write over: the probes
// and every face file training reads.
tavro::GuardedFiles runInputs(const tavro::faces_tool::FacesOptions& options) {
  tavro::GuardedFiles inputs;
  for (const QString& probe : options.probes) inputs.guard(probe);
  for (std::int16_t number = 0; number < tavro::RecognitionSession::kFaceNumbers; ++number)
    for (std::int16_t letter = 0; letter < tavro::RecognitionSession::kLetters; ++letter)
      inputs.guard(tavro::faceFilePath(options.facesDirectory, number, letter));
  return inputs;
}

}  // namespace

int main(int argc, char* argv[]) {
  // Past a file-size limit a write fails with a reason instead of ending the program.
  std::signal(SIGXFSZ, SIG_IGN);
  tavro::removeTemporariesOnInterrupt();
  const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
  // Names as the system has them, raw bytes kept (Qt's arguments lose them).
  const QStringList arguments = tavro::nativeArguments(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tavro-faces"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(tavro::build::kVersion));
  using namespace tavro::faces_tool;

  FacesCommandLine commandLine;
  try {
    if (!commandLine.parse(arguments, tavro::executableDirectory())) {
      if (commandLine.versionAsked())
        return tavro::printAndFinish("tavro-faces", tavro::build::versionLine("tavro-faces"));
      return print(commandLine.helpText().toUtf8(), 0);
    }
  } catch (const UsageError& e) {
    complain(errorText(e) + QStringLiteral(" (see --help)"));
    return kUsageError;
  }
  const FacesOptions& options = commandLine.options();
  // Taken before anything is read or written, so that no later write can
  // take the place of an input.
  tavro::GuardedFiles guarded = runInputs(options);

  StandardErrorMessageBox messages;
  ProbeIdentification identification(options.facesDirectory, messages);
  std::unique_ptr<tavro::FaceFinder> finder;
  try {
    if (options.findFace) finder = std::make_unique<tavro::FaceFinder>();
  } catch (const tavro::Error& e) {
    complain(errorText(e));
    return kNotIdentified;
  }
  identification.findFaces(finder.get());
  try {
    if (identification.train(options.runs) == 0) {
      complain(noFaceFilesMessage(options.facesDirectory));
      return kNotIdentified;
    }
    // Which face files the faces were not built from, as the window's status line says it.
    const tavro::TrainingRun& run = identification.lastRun();
    for (const tavro::FaceFileRead& file : run.files)
      if (file.load.face == tavro::PictureLoad::Face::NotFound) complain(noFaceFound(file.path));
    if (run.filesRead() < run.files.size())
      complain(tavro::trainingSummary(run, tavro::displayName(options.facesDirectory)));
  } catch (const std::exception& e) {
    complain(QStringLiteral("training failed after %1 faces: %2").arg(identification.storedFaces()).arg(errorText(e)));
    return kNotIdentified;
  }

  std::unique_ptr<ExplainFiles> explainFiles;
  try {
    if (!options.explainFolder.isEmpty()) explainFiles = std::make_unique<ExplainFiles>(options.explainFolder, guarded);
  } catch (const tavro::Error& e) {
    complain(errorText(e));
    return kNotIdentified;
  }

  int status = 0;
  QList<ProbeAnswer> answers;
  for (const QString& probe : options.probes) {
    const QString shown = tavro::displayName(probe);
    try {
      ProbeAnswer answer = identification.identify(probe);
      answer.uncertain =
          options.minMargin && tavro::isUncertainAnswer(answer.certainty, answer.face, *options.minMargin);
      if (answer.face == tavro::PictureLoad::Face::NotFound) complain(noFaceFound(probe));
      if (!answer.probeLoaded) {
        complain(QStringLiteral("%1: not loaded (%2); its answer is for the picture shown before it")
                     .arg(shown, answer.notLoadedReason));
        status = kNotIdentified;
      } else if (answer.faceName.empty()) {
        complain(QStringLiteral("%1: no stored face matches").arg(shown));
        status = kNotIdentified;
      }
      if (explainFiles) {
        try {
          const QImage picture = drawMatchPicture(answer, identification.workSurface().image(),
                                                  identification.recogniser(), options.minMargin);
          explainFiles->write(probe, picture);
        } catch (const tavro::Error& e) {
          complain(QStringLiteral("%1: no match picture: %2").arg(shown, errorText(e)));
          status = kNotIdentified;
        }
      }
      answers.append(std::move(answer));
    } catch (const std::exception& e) {
      complain(QStringLiteral("%1: identification failed: %2").arg(shown, errorText(e)));
      status = kNotIdentified;
    }
  }

  if (options.json) return print(answersJson(answers), status);
  QByteArray lines;
  const AnswerColumns columns{options.scores, options.minMargin.has_value()};
  for (const ProbeAnswer& answer : answers) lines += answerLine(answer, columns);
  return print(lines, status);
}

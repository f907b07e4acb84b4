// tavro-faces [--faces DIR] [--runs N] [--json] PROBE...: trains the face
// database from the face files of a folder and identifies each probe, as the
// window's "Train Database" and "Check IMAGE" do.

#include <QCoreApplication>
#include <QList>
#include <QTextStream>
#include <cstdio>
#include <exception>

#include "answer_output.h"
#include "build_info.h"
#include "faces_options.h"
#include "platform/picture/program_directory.h"
#include "platform/standard_output.h"
#include "probe_identification.h"
#include "standard_error_message_box.h"

namespace {

constexpr int kNotIdentified = 1;
constexpr int kUsageError = 2;

void complain(const QString& message) { QTextStream(stderr) << "tavro-faces: " << message << Qt::endl; }

QString errorText(const std::exception& e) { return QString::fromStdString(e.what()); }

}  // namespace

int main(int argc, char* argv[]) {
  // Pictures are decoded and sampled in memory: no display, no GUI application.
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tavro-faces"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(tavro::build::kVersion));
  using namespace tavro::faces_tool;

  FacesCommandLine commandLine;
  try {
    if (!commandLine.parse(QCoreApplication::arguments(), tavro::executableDirectory())) {
      if (commandLine.versionAsked())
        return tavro::printAndFinish("tavro-faces", tavro::build::versionLine("tavro-faces"));
      QTextStream(stdout) << commandLine.helpText();
      return 0;
    }
  } catch (const UsageError& e) {
    complain(errorText(e) + QStringLiteral(" (see --help)"));
    return kUsageError;
  }
  const FacesOptions& options = commandLine.options();

  StandardErrorMessageBox messages;
  ProbeIdentification identification(options.facesDirectory, messages);
  try {
    identification.train(options.runs);
  } catch (const std::exception& e) {
    complain(QStringLiteral("training failed after %1 faces: %2").arg(identification.storedFaces()).arg(errorText(e)));
    return kNotIdentified;
  }

  int status = 0;
  QList<ProbeAnswer> answers;
  for (const QString& probe : options.probes) {
    try {
      ProbeAnswer answer = identification.identify(probe);
      if (!answer.probeLoaded) {
        complain(QStringLiteral("%1: not loaded; its answer is for the picture shown before it").arg(probe));
        status = kNotIdentified;
      } else if (answer.faceName.empty()) {
        complain(QStringLiteral("%1: no stored face matches").arg(probe));
        status = kNotIdentified;
      }
      answers.append(std::move(answer));
    } catch (const std::exception& e) {
      complain(QStringLiteral("%1: identification failed: %2").arg(probe, errorText(e)));
      status = kNotIdentified;
    }
  }

  if (options.json) {
    const QByteArray json = answersJson(answers);
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
  } else {
    QTextStream out(stdout);
    for (const ProbeAnswer& answer : answers) out << answerLine(answer) << '\n';
  }
  return status;
}

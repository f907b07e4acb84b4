#include "app/recognition_commands.h"

#include <QStringList>

#include "app/file_names.h"
#include "app/typed_path.h"

namespace tavro {

RecognitionCommands::RecognitionCommands(RecognitionSession& session, RecognitionView& view,
                                         MessageBox& messages, StatusReport& status)
    : session_(session), view_(view), messages_(messages), status_(status) {}

void RecognitionCommands::trainDatabase() {
  view_.setCheckImageEnabled(false);
  const int before = session_.faceCount();
  QStringList message;
  try {
    session_.trainDatabase();
  } catch (const std::exception& e) {
    const int added = session_.faceCount() - before;
    message.append(QStringLiteral("Train Database failed: %1\n%2 faces are stored (this run added %3 of %4).")
                       .arg(QString::fromStdString(e.what()))
                       .arg(session_.faceCount())
                       .arg(added)
                       .arg(RecognitionSession::kFacesPerRun));
  }
  const bool completed = message.isEmpty();
  const QString unreadable = trainingFailureMessage(session_.lastRun());
  if (!unreadable.isEmpty()) message.append(unreadable);
  if (!message.isEmpty()) messages_.show(message.join(QStringLiteral("\n\n")));
  if (completed) status_.trained(session_.lastRun());
  view_.setTrainCaption(session_.faceCount() > 0 ? QStringLiteral("retrain")
                                                 : QStringLiteral("Train Database"));
  view_.setCheckImageEnabled(true);
}

void RecognitionCommands::checkImage(const QString& typedText) {
  const QString command = QStringLiteral("Check IMAGE");
  if (refuseWithoutFaces(command)) return;
  identify(command, typedText, typedPath(typedText));
}

void RecognitionCommands::testRandomFace() {
  const QString command = QStringLiteral("TEST");
  if (refuseWithoutFaces(command)) return;
  try {
    const QString probe = session_.testProbePath();
    identify(command, probe, probe);
  } catch (const std::exception& e) {
    report(command, e);
  }
}

void RecognitionCommands::loadImageToRecognizer(const QString& typedText) {
  const QString path = typedPath(typedText);
  status_.loadedIntoInputImage(typedText, path, session_.loadIntoWorkSurface(path));
}

void RecognitionCommands::identify(const QString& command, const QString& typedProbe, const QString& probePath) {
  view_.showIdentificationArea();
  try {
    status_.identified(command, typedProbe, session_.identify(probePath));
  } catch (const std::exception& e) {
    report(command, e);
  }
}

// With no face stored there is nothing to compare with: say so instead of
// answering with face 0 or failing inside the recogniser.
bool RecognitionCommands::refuseWithoutFaces(const QString& command) {
  if (session_.faceCount() > 0) return false;
  messages_.show(command + QStringLiteral(": no faces are stored yet. Click \"Train Database\" first."));
  return true;
}

void RecognitionCommands::report(const QString& command, const std::exception& error) {
  messages_.show(command + QStringLiteral(" failed: ") + QString::fromStdString(error.what()));
}

}  // namespace tavro

#include "app/status_report.h"

#include <QLocale>

#include "files/entries.h"
#include "files/native_names.h"

namespace tavro {

namespace {

QString quoted(const QString& text) { return u'"' + text + u'"'; }

// A file as the status line names it: its full path.
QString fullPath(const QString& path) { return displayName(absolutePath(path)); }

// The probe as given, and the file it named when that reads differently.
QString probeAsGiven(const QString& typed, const QString& path) {
  const QString full = fullPath(path);
  const QString shown = displayName(typed);
  return shown == full ? full : quoted(shown) + QStringLiteral(" (") + full + u')';
}

// Two decimals, unless they would put the margin on the other side of the limit.
QString marginText(double margin, bool uncertain) {
  const QString rounded = QString::number(margin, 'f', 2);
  if ((rounded.toDouble() < kDefaultMinMargin) == uncertain) return rounded;
  return QString::number(margin, 'g', QLocale::FloatingPointShortest);
}

QString certaintyText(const MatchCertainty& certainty, PictureLoad::Face probeFace) {
  const bool uncertain = isUncertainAnswer(certainty, probeFace, kDefaultMinMargin);
  const std::optional<double> margin = certainty.margin();
  if (probeFace == PictureLoad::Face::NotFound)
    return QStringLiteral("no face was found in it, so it was used as it is: uncertain");
  if (!margin) return QStringLiteral("no other person to compare with: uncertain");
  if (!uncertain) return QStringLiteral("margin %1: sure").arg(marginText(*margin, uncertain));
  return QStringLiteral("margin %1: uncertain (below %2)")
      .arg(marginText(*margin, uncertain), QString::number(kDefaultMinMargin));
}

QString shownFaceText(const Identification& found) {
  const QString file = shownFileName(found.matchedFaceFile);
  switch (found.matchedFace.result) {
    case PictureLoad::Result::Missing:
      return QStringLiteral("%1 is missing, so \"Identified\" keeps the picture before.").arg(file);
    case PictureLoad::Result::Unreadable:
      return QStringLiteral("%1 could not be read, so \"Identified\" keeps the picture before.").arg(file);
    case PictureLoad::Result::Loaded:
      break;
  }
  switch (found.trainedPicture) {
    case Identification::TrainedPicture::Changed:
      return QStringLiteral("\"Identified\" shows %1, which changed after face %2 was trained.")
          .arg(file)
          .arg(found.faceNumber);
    case Identification::TrainedPicture::Unread:
      return QStringLiteral("\"Identified\" shows %1, which was missing or unreadable when face %2 was trained.")
          .arg(file)
          .arg(found.faceNumber);
    case Identification::TrainedPicture::Same:
      break;
  }
  return QStringLiteral("\"Identified\" shows %1.").arg(file);
}

QString notLoadedText(const PictureLoad& load) {
  if (load.result == PictureLoad::Result::Missing) return QStringLiteral("was not found");
  return QStringLiteral("could not be read (%1)").arg(load.message);
}

}  // namespace

StatusReport::StatusReport(QString home) : home_(std::move(home)) {
  while (home_.endsWith(u'/')) home_.chop(1);
}

void StatusReport::say(const QString& text) {
  text_ = text.split(u'\n', Qt::SkipEmptyParts).join(u' ');
  if (listener_) listener_(text_);
}

void StatusReport::started(const QString& faceFolder) {
  say(QStringLiteral("Face folder: %1. \"Train Database\" reads its face files.").arg(shortened(faceFolder)));
}

void StatusReport::trained(const TrainingRun& run) { say(trainingSummary(run, shortened(run.folder))); }

void StatusReport::identified(const QString& command, const QString& typedProbe, const Identification& found) {
  QString text = command + QStringLiteral(": ");
  if (found.probe.loaded())
    text += fullPath(found.probePath) + QStringLiteral(" is ");
  else
    text += QStringLiteral("%1 %2, so the picture shown before was identified: ")
                .arg(probeAsGiven(typedProbe, found.probePath), notLoadedText(found.probe));
  if (found.faceName.empty()) {
    text += QStringLiteral("like no stored face, so face 0 stands for it. ");
  } else {
    text += QStringLiteral("face %1; %2. ")
                .arg(found.faceNumber)
                .arg(certaintyText(found.certainty, found.probe.face));
  }
  say(text + shownFaceText(found));
}

void StatusReport::loadedIntoInputImage(const QString& typedProbe, const QString& path, const PictureLoad& load) {
  const QString command = QStringLiteral("Load image to Recognizer: ");
  if (load.face == PictureLoad::Face::Found) {
    say(command + QStringLiteral("the face found in %1 is in \"Input Image\".").arg(fullPath(path)));
    return;
  }
  if (load.loaded()) {
    const QString asItIs =
        load.face == PictureLoad::Face::NotFound ? QStringLiteral(", as it is: no face was found in it") : QString();
    say(command + fullPath(path) + QStringLiteral(" is in \"Input Image\"") + asItIs + u'.');
    return;
  }
  say(command + QStringLiteral("%1 %2; \"Input Image\" keeps its picture.")
                    .arg(probeAsGiven(typedProbe, path), notLoadedText(load)));
}

void StatusReport::previewSwitched(bool on) {
  say(on ? QStringLiteral("ON: preview on.") : QStringLiteral("OFF: preview off."));
}

void StatusReport::snapshotWritten(const QString& path) {
  say(QStringLiteral("TAKE PIC: snapshot written to %1 and shown.").arg(fullPath(path)));
}

void StatusReport::faceSnapshotWritten(const QString& command, const QString& faceFile, std::int16_t letterIndex) {
  const QString readBy = letterIndex < RecognitionSession::kLetters
                             ? QStringLiteral("; the next training run reads it.")
                             : QStringLiteral(" (training reads only the \"a\" and \"b\" files).");
  say(QStringLiteral("%1: snapshot written to %2").arg(command, fullPath(faceFile)) + readBy);
}

void StatusReport::recordingStarted(const QString& path, bool alreadyRunning) {
  const QString ends = QStringLiteral("; \"STOP AVI\" or Esc ends it.");
  if (alreadyRunning)
    say(QStringLiteral("Record: the recording to %1 goes on").arg(fullPath(path)) + ends);
  else
    say(QStringLiteral("Record: recording to %1").arg(fullPath(path)) + ends);
}

void StatusReport::recordingStopping(const QString& command, const QString& path, bool wasRunning) {
  if (wasRunning)
    say(QStringLiteral("%1: finishing the recording to %2…").arg(command, fullPath(path)));
  else
    say(command + QStringLiteral(": no recording was running."));
}

QString StatusReport::shortened(const QString& folder) const {
  const QString shown = displayName(folder);
  if (home_.isEmpty() || home_ == QStringLiteral("/")) return shown;
  if (shown == home_) return QStringLiteral("~");
  if (shown.startsWith(home_ + u'/')) return u'~' + shown.mid(home_.size());
  return shown;
}

}  // namespace tavro

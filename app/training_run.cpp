#include "app/training_run.h"

#include <algorithm>

namespace tavro {

namespace {

constexpr int kNamesShown = 3;   // in a status line
constexpr int kLinesShown = 5;   // in a message box

QString faceFiles(qsizetype count) {
  return count == 1 ? QStringLiteral("1 face file") : QStringLiteral("%1 face files").arg(count);
}

}  // namespace

int TrainingRun::filesRead() const {
  return static_cast<int>(
      std::count_if(files.begin(), files.end(), [](const FaceFileRead& file) { return file.load.loaded(); }));
}

QStringList TrainingRun::fileNames(PictureLoad::Result result) const {
  QStringList names;
  for (const FaceFileRead& file : files)
    if (file.load.result == result) names.append(shownFileName(file.path));
  return names;
}

QStringList TrainingRun::namesWithoutFace() const {
  QStringList names;
  for (const FaceFileRead& file : files)
    if (file.load.face == PictureLoad::Face::NotFound) names.append(shownFileName(file.path));
  return names;
}

QStringList TrainingRun::failureLines() const {
  QStringList lines;
  for (const FaceFileRead& file : files)
    if (file.load.result == PictureLoad::Result::Unreadable) lines.append(kLoadFacePrefix + file.load.message);
  return lines;
}

QString firstFew(const QStringList& items, int shown) {
  QString text = items.mid(0, shown).join(QStringLiteral(", "));
  if (items.size() > shown) text += QStringLiteral(" and %1 more").arg(items.size() - shown);
  return text;
}

QString trainingFailureMessage(const TrainingRun& run) {
  const QStringList lines = run.failureLines();
  if (lines.size() <= 1) return lines.value(0);
  QString text = QStringLiteral("Train Database: %1 could not be read:").arg(faceFiles(lines.size()));
  for (const QString& line : lines.mid(0, kLinesShown)) text += u'\n' + line;
  if (lines.size() > kLinesShown) text += QStringLiteral("\n… and %1 more").arg(lines.size() - kLinesShown);
  return text;
}

QString trainingSummary(const TrainingRun& run, const QString& shownFolder) {
  QString text = QStringLiteral("Trained: %1 faces stored; %2 of %3 read from %4")
                     .arg(run.storedFaces)
                     .arg(run.filesRead())
                     .arg(faceFiles(run.files.size()), shownFolder);
  const QStringList withoutFace = run.namesWithoutFace();
  if (!withoutFace.isEmpty())
    text += QStringLiteral("; no face found in %1 (%2), used as %3")
                .arg(withoutFace.size())
                .arg(firstFew(withoutFace, kNamesShown), withoutFace.size() == 1 ? "it is" : "they are");
  const QStringList missing = run.fileNames(PictureLoad::Result::Missing);
  const QStringList unreadable = run.fileNames(PictureLoad::Result::Unreadable);
  if (!missing.isEmpty())
    text += QStringLiteral("; %1 missing (%2)").arg(missing.size()).arg(firstFew(missing, kNamesShown));
  if (!unreadable.isEmpty())
    text += QStringLiteral("; %1 unreadable (%2)").arg(unreadable.size()).arg(firstFew(unreadable, kNamesShown));
  if (missing.isEmpty() && unreadable.isEmpty()) return text + u'.';
  return text + QStringLiteral(" — their faces copy the picture before them.");
}

}  // namespace tavro

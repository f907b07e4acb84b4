#pragma once
// What one training run read: each face file in reading order and what
// became of it, and how many faces were stored after it. The window tells
// it in one message and one status line; tavro-faces in one line on
// standard error.

#include <QList>
#include <QString>
#include <QStringList>

#include "app/face_picture_loader.h"

namespace tavro {

struct FaceFileRead {
  QString path;
  PictureLoad load;
};

struct TrainingRun {
  QString folder;
  int storedFaces = 0;  // in the database after the run
  QList<FaceFileRead> files;

  int filesRead() const;
  // The file names (not paths) of the files with this result.
  QStringList fileNames(PictureLoad::Result result) const;
  // The file names of the files read in which no face was found.
  QStringList namesWithoutFace() const;
  // The unreadable files' messages as loadFace words them.
  QStringList failureLines() const;
};

// "a, b, c and 5 more": the first `shown` items, then how many were left out.
QString firstFew(const QStringList& items, int shown);

// The one message of a run with unreadable face files: "" when there were
// none, loadFace's own line for one, a heading and the first few lines for
// more.
QString trainingFailureMessage(const TrainingRun& run);

// "Trained: 40 faces stored; 2 of 40 face files read from FOLDER; 38 missing
// (face0a.jpg, face1a.jpg, face2a.jpg and 35 more) — their faces copy the
// picture before them." When faces were looked for, "; no face found in 1
// (face3b.jpg), used as it is" follows the files read. The folder as the
// caller wants it shown.
QString trainingSummary(const TrainingRun& run, const QString& shownFolder);

}  // namespace tavro

#pragma once
// Where --explain puts its pictures: one PNG per probe in one folder, named
// after the probe ("visitor.jpg" gives "visitor.png"). A name that would
// write over an input of the run (a probe, a face file) or a picture the
// run wrote already gets "-2", "-3", ... instead. Each is written whole or
// not at all.

#include <QImage>
#include <QString>

#include "files/file_set.h"

namespace tavro::faces_tool {

class ExplainFiles {
 public:
  // Creates the folder when missing; throws tavro::Error when it cannot.
  // The guarded files hold the run's inputs and get each name chosen.
  ExplainFiles(QString folder, GuardedFiles& guarded);

  // Writes the picture for a probe and returns its path; throws
  // tavro::Error naming the file and the system's reason.
  QString write(const QString& probe, const QImage& picture);

 private:
  QString folder_;
  GuardedFiles& guarded_;
};

}  // namespace tavro::faces_tool

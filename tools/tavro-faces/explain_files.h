#pragma once
// Where --explain puts its pictures: one PNG per probe in one folder, named
// after the probe ("visitor.jpg" gives "visitor.png"; a name already taken
// in this run gets "-2", "-3", ...), each written whole or not at all.

#include <QImage>
#include <QSet>
#include <QString>

namespace tavro::faces_tool {

class ExplainFiles {
 public:
  // Creates the folder when missing; throws tavro::Error when it cannot.
  explicit ExplainFiles(QString folder);

  // Writes the picture for a probe and returns its path; throws
  // tavro::Error naming the file and the system's reason.
  QString write(const QString& probe, const QImage& picture);

 private:
  QString folder_;
  QSet<QString> used_;
};

}  // namespace tavro::faces_tool

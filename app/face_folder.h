#pragma once
// Where the face files live. A program run from its build tree, or from a
// copy in a folder of the user's own, keeps them in its own folder. An
// installed program keeps them in the user's data folder instead,
// $XDG_DATA_HOME/tavro-cam (by default ~/.local/share/tavro-cam), since its
// folder is not the user's. Installed means: the program's folder is the bin
// folder of an installed layout, with the desktop entry under the data
// folder beside it, wherever the layout was put. A folder chosen on the
// command line wins over both.

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tavro {

class FaceFolder {
 public:
  // programDirectory: the executable's folder. environment: where
  // XDG_DATA_HOME and HOME are read. chosen: the folder given with
  // --faces, "" when none was.
  FaceFolder(QString programDirectory, const QProcessEnvironment& environment, QString chosen = {});
  // For the running program and its environment; needs a QCoreApplication.
  static FaceFolder ofThisProgram(const QString& chosen = {});

  // The face folder as an absolute path. It need not exist yet: the first
  // snapshot into it creates it.
  const QString& path() const { return path_; }

 private:
  QString path_;
};

// Creates the face folder of a face file if missing, and returns the
// folders it created, outermost first; throws Error(Platform) naming the
// folder and the system's reason when it cannot.
QStringList createFolderOf(const QString& faceFile);
// Removes folders createFolderOf made, innermost first, as long as they are
// still empty.
void removeFolders(const QStringList& folders);

}  // namespace tavro

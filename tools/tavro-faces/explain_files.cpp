#include "explain_files.h"

#include "drawing/png_file.h"
#include "files/entries.h"
#include "files/file_set.h"
#include "files/native_names.h"

namespace tavro::faces_tool {

ExplainFiles::ExplainFiles(QString folder, GuardedFiles& guarded) : folder_(std::move(folder)), guarded_(guarded) {
  makeFolder(folder_);
}

QString ExplainFiles::write(const QString& probe, const QImage& picture) {
  const QString stem = fileStem(probe);
  QString name = stem + QStringLiteral(".png");
  for (int n = 2; guarded_.isGuarded(folder_, name); ++n) name = QStringLiteral("%1-%2.png").arg(stem).arg(n);
  guarded_.guard(folder_ + u'/' + name);  // the run neither writes over it again nor reads it
  FileSet file(folder_);
  file.add(name, encodePng(picture));
  const QString path = file.paths().front();
  file.commit();
  return path;
}

}  // namespace tavro::faces_tool

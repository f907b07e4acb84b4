#include "platform/capture/capture_path.h"

#include <QFileInfo>

#include "platform/errors.h"

namespace tavro {

void requireOrdinaryFileTarget(const QString& path, const QString& what) {
  if (path.isEmpty()) throw Error(ErrorKind::Platform, ("No file name given for the " + what).toStdString());
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    throw Error(ErrorKind::Platform,
                ("Cannot write the " + what + " " + path + ": it is not an ordinary file").toStdString());
}

}  // namespace tavro

#include "capture/capture_path.h"

#include "files/entries.h"
#include "files/native_names.h"
#include "platform/errors.h"

namespace tavro {

void requireOrdinaryFileTarget(const QString& path, const QString& what) {
  if (path.isEmpty()) throw Error(ErrorKind::Platform, ("No file name given for the " + what).toStdString());
  const EntryKind kind = entryKind(path);
  if (kind != EntryKind::Nothing && kind != EntryKind::File)
    throw Error(ErrorKind::Platform,
                ("Cannot write the " + what + " " + displayName(path) + ": it is not an ordinary file").toStdString());
}

}  // namespace tavro

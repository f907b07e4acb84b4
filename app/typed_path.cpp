#include "app/typed_path.h"

namespace tavro {

QString typedPath(const QString& typed, const QString& home) {
  QString path = typed;
  path.replace(u'\\', u'/');
  // "\\server\share" is no home path: its '\'s stay plain separators.
  const bool fromHome = typed.startsWith(u'\\') && !typed.startsWith(QStringLiteral("\\\\"));
  if (!fromHome) return path;
  QString top = home;
  while (top.endsWith(u'/')) top.chop(1);
  return top + path;
}

}  // namespace tavro

#include "app/file_names.h"

#include "platform/errors.h"

namespace tavro {

QString faceFilePath(const QString& programDirectory, std::int16_t faceNumber,
                     std::int16_t letterIndex) {
  if (letterIndex < 0 || letterIndex > 25) throw Error(ErrorKind::SubscriptOutOfRange);
  QString directory = programDirectory;
  while (directory.endsWith(u'/')) directory.chop(1);
  const QChar letter(static_cast<char16_t>(u'a' + letterIndex));
  return directory + QStringLiteral("/face") + QString::number(faceNumber) + letter +
         QStringLiteral(".jpg");
}

}  // namespace tavro

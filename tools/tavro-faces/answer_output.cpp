#include "answer_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavro::faces_tool {

QString answerLine(const ProbeAnswer& answer) {
  return answer.probe + u'\t' + QString::fromStdString(answer.faceName) + u'\t' + answer.shownFaceFile;
}

QByteArray answersJson(const QList<ProbeAnswer>& answers) {
  QJsonArray array;
  for (const ProbeAnswer& answer : answers) {
    QJsonObject object;
    object.insert(QStringLiteral("probe"), answer.probe);
    object.insert(QStringLiteral("faceName"), QString::fromStdString(answer.faceName));
    object.insert(QStringLiteral("faceFile"),
                  answer.shownFaceFile.isEmpty() ? QJsonValue() : QJsonValue(answer.shownFaceFile));
    object.insert(QStringLiteral("probeLoaded"), answer.probeLoaded);
    object.insert(QStringLiteral("storedFaces"), answer.storedFaces);
    array.append(object);
  }
  return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

}  // namespace tavro::faces_tool

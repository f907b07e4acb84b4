#include "answer_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include "files/native_names.h"

namespace tavro::faces_tool {

namespace {

QByteArray number(std::int64_t value) { return QByteArray::number(static_cast<qlonglong>(value)); }

}  // namespace

QByteArray escapeField(const QByteArray& field) {
  QByteArray escaped;
  escaped.reserve(field.size());
  for (const char c : field) {
    switch (c) {
      case '\t': escaped += "\\t"; break;
      case '\n': escaped += "\\n"; break;
      case '\\': escaped += "\\\\"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

QString marginText(double margin) { return QString::number(margin, 'g', QLocale::FloatingPointShortest); }

QByteArray answerLine(const ProbeAnswer& answer, AnswerColumns columns) {
  const MatchCertainty& certainty = answer.certainty;
  QList<QByteArray> fields = {toNativeName(answer.probe), QByteArray::fromStdString(answer.faceName),
                              toNativeName(answer.shownFaceFile)};
  if (columns.scores) {
    const auto& runnerUp = certainty.runnerUp;
    const std::optional<double> margin = certainty.margin();
    fields << (certainty.answerSlot ? number(certainty.score) : QByteArray())
           << (runnerUp ? QByteArray::fromStdString(runnerUp->faceName) : QByteArray())
           << (runnerUp ? number(runnerUp->score) : QByteArray())
           << (margin ? marginText(*margin).toUtf8() : QByteArray());
  }
  if (columns.certainty) fields << (answer.uncertain ? "uncertain" : "sure");

  QByteArray line;
  for (const QByteArray& field : fields) line += (line.isEmpty() ? "" : "\t") + escapeField(field);
  return line + '\n';
}

QByteArray answersJson(const QList<ProbeAnswer>& answers) {
  QJsonArray array;
  for (const ProbeAnswer& answer : answers) {
    const MatchCertainty& certainty = answer.certainty;
    QJsonObject object;
    object.insert(QStringLiteral("probe"), displayName(answer.probe));
    object.insert(QStringLiteral("faceName"), QString::fromStdString(answer.faceName));
    object.insert(QStringLiteral("faceFile"), answer.shownFaceFile.isEmpty()
                                                  ? QJsonValue()
                                                  : QJsonValue(displayName(answer.shownFaceFile)));
    object.insert(QStringLiteral("probeLoaded"), answer.probeLoaded);
    if (answer.face != PictureLoad::Face::NotLookedFor)
      object.insert(QStringLiteral("faceFound"), answer.face == PictureLoad::Face::Found);
    object.insert(QStringLiteral("storedFaces"), answer.storedFaces);
    object.insert(QStringLiteral("score"), certainty.answerSlot ? QJsonValue(certainty.score) : QJsonValue());
    QJsonValue runnerUp;
    if (certainty.runnerUp)
      runnerUp = QJsonObject{{QStringLiteral("faceName"), QString::fromStdString(certainty.runnerUp->faceName)},
                             {QStringLiteral("score"), certainty.runnerUp->score}};
    object.insert(QStringLiteral("runnerUp"), runnerUp);
    const std::optional<double> margin = certainty.margin();
    object.insert(QStringLiteral("margin"), margin ? QJsonValue(*margin) : QJsonValue());
    object.insert(QStringLiteral("uncertain"), answer.uncertain);
    array.append(object);
  }
  return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

}  // namespace tavro::faces_tool

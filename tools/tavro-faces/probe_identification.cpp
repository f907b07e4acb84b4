#include "probe_identification.h"

#include <QFile>
#include <memory>

#include "platform/errors.h"
#include "platform/files/native_file.h"
#include "platform/files/native_names.h"

namespace tavro::faces_tool {

ProbeIdentification::ProbeIdentification(QString facesDirectory, MessageBox& messages)
    : folder_(std::move(facesDirectory)),
      messages_(folder_, messages),
      pic0_(PictureBoxModel::faceBox()),
      pic1_(PictureBoxModel::faceBox()),
      session_(folder_.reachablePath(), messages_, pic0_, pic1_) {}

int ProbeIdentification::train(int runs) {
  int loaded = 0;
  for (int run = 0; run < runs; ++run) loaded += session_.trainDatabase();
  return loaded;
}

ProbeAnswer ProbeIdentification::identify(const QString& probe) {
  const Identification found = holdsRawBytes(probe) ? identifyByBytes(probe) : session_.identify(probe);
  ProbeAnswer answer;
  answer.probe = probe;
  answer.probeLoaded = found.probeShown;
  answer.faceName = found.faceName;
  answer.faceNumber = found.faceNumber;
  if (found.matchedFaceShown) answer.shownFaceFile = folder_.asGiven(found.matchedFaceFile);
  answer.storedFaces = session_.faceCount();
  answer.certainty = lastMatchCertainty(session_.faceRecogniser());
  return answer;
}

// Qt cannot name this probe, so it is opened by its bytes. As in the window,
// only an ordinary file counts; anything else is skipped without a word.
Identification ProbeIdentification::identifyByBytes(const QString& probe) {
  std::unique_ptr<QFile> file;
  if (isOrdinaryFile(probe)) {
    try {
      file = openForReading(probe);
    } catch (const Error& e) {
      messages_.show(QStringLiteral("frmMain/loadFace2/") + QString::fromStdString(e.what()));
    }
  }
  return session_.identify(file.get(), displayName(probe));
}

}  // namespace tavro::faces_tool

#include "probe_identification.h"

#include <QScopeGuard>

namespace tavro::faces_tool {

ProbeIdentification::ProbeIdentification(QString facesDirectory, MessageBox& messages)
    : messages_(messages),
      pic0_(PictureBoxModel::faceBox()),
      pic1_(PictureBoxModel::faceBox()),
      session_(std::move(facesDirectory), messages, pic0_, pic1_) {}

int ProbeIdentification::train(int runs) {
  int loaded = 0;
  for (int run = 0; run < runs; ++run) {
    // Also for a run that fails part of the way.
    const auto tell = qScopeGuard([this] {
      for (const QString& line : session_.lastRun().failureLines()) messages_.show(line);
    });
    loaded += session_.trainDatabase().filesRead();
  }
  return loaded;
}

ProbeAnswer ProbeIdentification::identify(const QString& probe) {
  const Identification found = session_.identify(probe);
  ProbeAnswer answer;
  answer.probe = probe;
  answer.probeLoaded = found.probe.loaded();
  answer.face = found.probe.face;
  if (!answer.probeLoaded) answer.notLoadedReason = found.probe.reason();
  answer.faceName = found.faceName;
  answer.faceNumber = found.faceNumber;
  if (found.matchedFace.loaded()) answer.shownFaceFile = found.matchedFaceFile;
  answer.storedFaces = session_.faceCount();
  answer.certainty = lastMatchCertainty(session_.faceRecogniser());
  return answer;
}

}  // namespace tavro::faces_tool

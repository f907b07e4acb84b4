#include "probe_identification.h"

namespace tavro::faces_tool {

ProbeIdentification::ProbeIdentification(QString facesDirectory, MessageBox& messages)
    : pic0_(PictureBoxModel::faceBox()),
      pic1_(PictureBoxModel::faceBox()),
      session_(std::move(facesDirectory), messages, pic0_, pic1_) {}

int ProbeIdentification::train(int runs) {
  int loaded = 0;
  for (int run = 0; run < runs; ++run) loaded += session_.trainDatabase();
  return loaded;
}

ProbeAnswer ProbeIdentification::identify(const QString& probe) {
  const Identification found = session_.identify(probe);
  ProbeAnswer answer;
  answer.probe = probe;
  answer.probeLoaded = found.probeShown;
  answer.faceName = found.faceName;
  answer.faceNumber = found.faceNumber;
  if (found.matchedFaceShown) answer.shownFaceFile = found.matchedFaceFile;
  answer.storedFaces = session_.faceCount();
  answer.certainty = lastMatchCertainty(session_.faceRecogniser());
  return answer;
}

}  // namespace tavro::faces_tool

#pragma once
// How tavro-faces prints its answers: one tab-separated line per probe, or
// one JSON array.

#include <QByteArray>
#include <QList>
#include <QString>

#include "probe_identification.h"

namespace tavro::faces_tool {

// "PROBE<tab>NAME<tab>FACEFILE", the face file empty when pic1 kept its picture.
QString answerLine(const ProbeAnswer& answer);

// [{"probe", "faceName", "faceFile" (null when not shown), "probeLoaded",
//   "storedFaces"}, ...], indented, ending in a newline.
QByteArray answersJson(const QList<ProbeAnswer>& answers);

}  // namespace tavro::faces_tool

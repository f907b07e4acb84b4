#pragma once
// How tavro-faces prints its answers: one tab-separated line per probe, or
// one JSON array.

#include <QByteArray>
#include <QList>
#include <QString>

#include "probe_identification.h"

namespace tavro::faces_tool {

struct AnswerColumns {
  bool scores = false;     // score, runner-up name, runner-up score, margin
  bool certainty = false;  // "uncertain" or "sure", last
};

// "PROBE<tab>NAME<tab>FACEFILE[<tab>SCORE<tab>RUNNER-UP<tab>ITS SCORE<tab>
// MARGIN][<tab>uncertain|sure]\n", the face file empty when pic1 kept its
// picture, a score field empty when there is nothing to show. Names keep
// their raw bytes; each field is escaped with escapeField.
QByteArray answerLine(const ProbeAnswer& answer, AnswerColumns columns);

// A tab, a newline and a backslash written as \t, \n and \\, so that a field
// never splits a line or the fields of one.
QByteArray escapeField(const QByteArray& field);

// The margin in the fewest digits that read back as the same number.
QString marginText(double margin);

// [{"probe", "faceName", "faceFile" (null when not shown), "probeLoaded",
//   "storedFaces", "score" (null when no face matched), "runnerUp"
//   ({"faceName", "score"} or null), "margin" (or null), "uncertain",
//   "faceFound" (only when faces were looked for)}, ...],
// indented, ending in a newline. Raw bytes in names show as U+FFFD.
QByteArray answersJson(const QList<ProbeAnswer>& answers);

}  // namespace tavro::faces_tool

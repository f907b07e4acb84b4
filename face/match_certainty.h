#pragma once
// How sure the recogniser's last answer is: its score, the nearest face of
// another name (the runner-up) and the relative margin between the two.
//
// The raw score alone hardly tells a stored person from a stranger; the
// margin to the runner-up tells right answers from wrong ones far better.

#include <cstdint>
#include <optional>
#include <string>

#include "face/face_recogniser.h"

namespace tavro {

// The margin below which the window calls an answer uncertain; tavro-faces
// applies one only when asked (--min-margin).
inline constexpr double kDefaultMinMargin = 0.25;

struct RunnerUp {
  int slot = 0;
  std::string faceName;
  std::int32_t score = 0;
};

struct MatchCertainty {
  std::optional<int> answerSlot;  // none when no stored face matched
  std::int32_t score = 0;         // the answer's score
  std::optional<RunnerUp> runnerUp;

  // (runner-up score - score) / max(score, 1); none without a runner-up.
  std::optional<double> margin() const;
  // Below minMargin, or no runner-up at all.
  bool isUncertain(double minMargin) const;
};

// The certainty of the last Identify, read from its scores: the answer is the
// earliest face of the lowest score below kNoMatchScore, as Identify chose it;
// the runner-up the earliest face of the lowest score among the faces whose
// name differs from the answer's.
MatchCertainty lastMatchCertainty(const ClassFaceRecogniser& recogniser);

}  // namespace tavro

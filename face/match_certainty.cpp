#include "face/match_certainty.h"

#include <algorithm>
#include <vector>

namespace tavro {

std::optional<double> MatchCertainty::margin() const {
  if (!answerSlot || !runnerUp) return std::nullopt;
  // 64-bit: both scores fit 32 bits, their difference may not.
  const double gap = static_cast<double>(std::int64_t{runnerUp->score} - score);
  return gap / static_cast<double>(std::max<std::int32_t>(score, 1));
}

bool MatchCertainty::isUncertain(double minMargin) const {
  const std::optional<double> m = margin();
  return !m || *m < minMargin;
}

MatchCertainty lastMatchCertainty(const ClassFaceRecogniser& recogniser) {
  const std::vector<std::int32_t>& scores = recogniser.lastScores();
  MatchCertainty certainty;
  const auto lowest = std::min_element(scores.begin(), scores.end());
  if (lowest == scores.end() || *lowest >= ClassFaceRecogniser::kNoMatchScore) return certainty;
  const int answer = static_cast<int>(lowest - scores.begin());
  certainty.answerSlot = answer;
  certainty.score = *lowest;

  const std::string& answerName = recogniser.faceNameAt(answer);
  for (int slot = 0; slot < static_cast<int>(scores.size()); ++slot) {
    const std::int32_t score = scores[static_cast<std::size_t>(slot)];
    // Names are compared only for a face that would beat the runner-up so far.
    if (certainty.runnerUp && score >= certainty.runnerUp->score) continue;
    const std::string& name = recogniser.faceNameAt(slot);
    if (name != answerName) certainty.runnerUp = RunnerUp{slot, name, score};
  }
  return certainty;
}

}  // namespace tavro

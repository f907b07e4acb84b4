// The scores of the last Identify and the certainty read from them, on tiny
// databases of 2 x 2 faces whose sums can be followed by hand.

#include "face/face_recogniser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "tests/face/face_test_pictures.h"

namespace tavro {
namespace {

using Cells = std::array<int, 4>;

// The rule: average = floor(mean of the faces), difference = max(0, cell -
// average), score = sum of |face difference - probe difference|.
std::vector<std::int32_t> scoresByRule(const std::vector<Cells>& faces, const Cells& probe) {
  Cells average{};
  for (std::size_t c = 0; c < 4; ++c) {
    int sum = 0;
    for (const Cells& face : faces) sum += face[c];
    average[c] = sum / static_cast<int>(faces.size());
  }
  std::vector<std::int32_t> scores;
  for (const Cells& face : faces) {
    std::int32_t score = 0;
    for (std::size_t c = 0; c < 4; ++c)
      score += std::abs(std::max(0, face[c] - average[c]) - std::max(0, probe[c] - average[c]));
    scores.push_back(score);
  }
  return scores;
}

struct Case {
  const char* what;
  std::vector<std::string> names;
  std::vector<Cells> faces;
  Cells probe;
  std::string answer;
  int runnerUpSlot;  // -1: none
};

const Case kCases[] = {
    // Average (50, 60, 70, 80): A and B differ by 0, C by 40 a cell.
    {"probe equal to a face scores 0", {"A", "B", "C"}, {{10, 20, 30, 40}, {50, 60, 70, 80}, {90, 100, 110, 120}},
     {90, 100, 110, 120}, "C", 0},
    {"runner-up skips the answer's name", {"A", "A", "B"}, {{10, 20, 30, 40}, {50, 60, 70, 80}, {90, 100, 110, 120}},
     {50, 60, 70, 80}, "A", 2},
    {"a single name has no runner-up", {"A", "A", "A"}, {{10, 20, 30, 40}, {50, 60, 70, 80}, {90, 100, 110, 120}},
     {50, 60, 70, 80}, "A", -1},
    // Probe difference (10, 0, 10, 0): A scores 20, B 140.
    {"margin relative to a non-zero score", {"A", "B"}, {{10, 20, 30, 40}, {90, 100, 110, 120}}, {60, 60, 80, 80},
     "A", 1},
    {"equal scores of two names give margin 0", {"A", "B"}, {{10, 20, 30, 40}, {10, 20, 30, 40}}, {0, 0, 0, 0}, "A", 1},
};

TEST(MatchCertainty, ScoresRunnerUpAndMarginFollowTheRules) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ClassFaceRecogniser recogniser;
    recogniser.init(2, 2);
    for (std::size_t i = 0; i < c.faces.size(); ++i) {
      auto face = square(c.faces[i][0], c.faces[i][1], c.faces[i][2], c.faces[i][3]);
      recogniser.addFace(face, c.names[i]);
    }
    auto probe = square(c.probe[0], c.probe[1], c.probe[2], c.probe[3]);
    EXPECT_EQ(recogniser.Identify(probe), c.answer);

    const std::vector<std::int32_t> expected = scoresByRule(c.faces, c.probe);
    EXPECT_EQ(recogniser.lastScores(), expected);
    const MatchCertainty certainty = lastMatchCertainty(recogniser);
    ASSERT_TRUE(certainty.answerSlot.has_value());
    EXPECT_EQ(recogniser.faceNameAt(*certainty.answerSlot), c.answer);
    const std::int32_t score = *std::min_element(expected.begin(), expected.end());
    EXPECT_EQ(certainty.score, score);
    if (c.runnerUpSlot < 0) {
      EXPECT_FALSE(certainty.runnerUp.has_value());
      EXPECT_FALSE(certainty.margin().has_value());
      EXPECT_TRUE(certainty.isUncertain(0.0));
      continue;
    }
    ASSERT_TRUE(certainty.runnerUp.has_value());
    const std::int32_t runnerUpScore = expected[static_cast<std::size_t>(c.runnerUpSlot)];
    EXPECT_EQ(certainty.runnerUp->slot, c.runnerUpSlot);
    EXPECT_EQ(certainty.runnerUp->faceName, c.names[static_cast<std::size_t>(c.runnerUpSlot)]);
    EXPECT_EQ(certainty.runnerUp->score, runnerUpScore);
    const double margin = double(runnerUpScore - score) / std::max(score, 1);
    EXPECT_EQ(certainty.margin(), margin);
    // A margin equal to M is sure; M any larger makes it uncertain.
    EXPECT_FALSE(certainty.isUncertain(margin));
    EXPECT_TRUE(certainty.isUncertain(std::nextafter(margin, std::numeric_limits<double>::infinity())));
  }
}

TEST(MatchCertainty, AFailedIdentifyLeavesNoScores) {
  ClassFaceRecogniser recogniser;
  recogniser.init(2, 2);
  auto face = square(1, 2, 3, 4);
  recogniser.addFace(face, "A");
  recogniser.Identify(face);
  ASSERT_EQ(recogniser.lastScores().size(), 1u);
  recogniser.setNoOfFaces(2);  // slot 1 holds no grids
  EXPECT_THROW(recogniser.Identify(face), Error);
  EXPECT_TRUE(recogniser.lastScores().empty());
  EXPECT_FALSE(lastMatchCertainty(recogniser).answerSlot.has_value());
}

}  // namespace
}  // namespace tavro

// The face recogniser used as the application uses it: init, storing faces
// and identifying probes, with the errors of the normal course.

#include "face/face_recogniser.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/face/face_test_pictures.h"
#include "tests/imaging/error_kind_of.h"

namespace tavro {
namespace {

TEST(Recogniser, StartsEmpty) {
  ClassFaceRecogniser recogniser;
  EXPECT_EQ(recogniser.imageWidth(), 0);
  EXPECT_EQ(recogniser.imageHeight(), 0);
  EXPECT_EQ(recogniser.NoOfFaces(), 0);
  EXPECT_EQ(recogniser.Identity(), nullptr);
}

TEST(Recogniser, InitSetsTheSizeAndKeepsTheFaces) {
  ClassFaceRecogniser recogniser;
  recogniser.init(2, 2);
  auto a = square(1, 2, 3, 4);
  recogniser.addFace(a, "a");
  recogniser.addFace(a, "b");
  recogniser.init(25, 25);
  EXPECT_EQ(recogniser.imageWidth(), 25);
  EXPECT_EQ(recogniser.imageHeight(), 25);
  EXPECT_EQ(recogniser.NoOfFaces(), 2);
}

TEST(Recogniser, IdentifyBeforeTheFirstFaceIsObjectNotSetAndChangesNothing) {
  ClassFaceRecogniser recogniser;
  recogniser.init(2, 2);
  auto probe = square(1, 2, 3, 4);
  EXPECT_EQ(kindOf([&] { recogniser.Identify(probe); }), ErrorKind::ObjectNotSet);
  EXPECT_EQ(recogniser.NoOfFaces(), 0);
  EXPECT_EQ(recogniser.Identity(), nullptr);
  EXPECT_TRUE(probe.reads().empty());
}

TEST(Recogniser, AddFaceBeforeInitFailsInSampling) {
  ClassFaceRecogniser recogniser;
  auto face = square(1, 2, 3, 4);
  EXPECT_EQ(kindOf([&] { recogniser.addFace(face, "a"); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(recogniser.NoOfFaces(), 0);
  // The probe grids now exist, with no size: identifying fails the same way.
  EXPECT_EQ(kindOf([&] { recogniser.Identify(face); }), ErrorKind::DivisionByZero);
}

TEST(Recogniser, OneStoredFaceMatchesEveryProbe) {
  ClassFaceRecogniser recogniser;
  recogniser.init(2, 2);
  auto face = square(10, 20, 30, 40);
  recogniser.addFace(face, "solo");
  auto white = square(255, 255, 255, 255);  // scores 245 + 235 + 225 + 215
  EXPECT_EQ(recogniser.Identify(white), "solo");
  auto black = square(0, 0, 0, 0);
  EXPECT_EQ(recogniser.Identify(black), "solo");
  ASSERT_NE(recogniser.Identity(), nullptr);
  EXPECT_EQ(cellsOf(*recogniser.Identity()), (std::vector<int>{10, 20, 30, 40}));
}

// Three faces whose average is (50, 60, 70, 80): the differences are 0 for
// the first two and 40 everywhere for the third.
class ThreeFaces : public ::testing::Test {
 protected:
  void SetUp() override {
    recogniser.init(2, 2);
    auto a = square(10, 20, 30, 40);
    auto b = square(50, 60, 70, 80);
    auto c = square(90, 100, 110, 120);
    recogniser.addFace(a, "A");
    recogniser.addFace(b, "B");
    recogniser.addFace(c, "C");
  }
  ClassFaceRecogniser recogniser;
};

TEST_F(ThreeFaces, AProbeEqualToAStoredFaceScoresZeroAgainstIt) {
  auto probe = square(90, 100, 110, 120);  // A and B score 160, C scores 0
  EXPECT_EQ(recogniser.Identify(probe), "C");
  EXPECT_EQ(cellsOf(*recogniser.Identity()), (std::vector<int>{90, 100, 110, 120}));
  EXPECT_EQ(recogniser.NoOfFaces(), 3);
}

TEST_F(ThreeFaces, EqualScoresGoToTheEarliestSlot) {
  auto probeB = square(50, 60, 70, 80);  // A and B both score 0
  EXPECT_EQ(recogniser.Identify(probeB), "A");
  EXPECT_EQ(cellsOf(*recogniser.Identity()), (std::vector<int>{10, 20, 30, 40}));
  auto probeA = square(10, 20, 30, 40);
  EXPECT_EQ(recogniser.Identify(probeA), "A");
}

TEST_F(ThreeFaces, IdentifyChangesOnlyTheProbeAndIdentity) {
  auto probeC = square(90, 100, 110, 120);
  EXPECT_EQ(recogniser.Identify(probeC), "C");
  const auto identity = recogniser.Identity();
  EXPECT_EQ(recogniser.Identity(), identity);  // one copy of the match, however often asked
  auto probeA = square(10, 20, 30, 40);
  EXPECT_EQ(recogniser.Identify(probeA), "A");
  EXPECT_NE(recogniser.Identity(), identity);
  identity->setPoint(0, 0, 0);  // the copy is the holder's own
  EXPECT_EQ(recogniser.Identify(probeC), "C");
  EXPECT_EQ(cellsOf(*recogniser.Identity()), (std::vector<int>{90, 100, 110, 120}));
  EXPECT_EQ(recogniser.NoOfFaces(), 3);
}

TEST(Recogniser, TheAverageIsRoundedDown) {
  ClassFaceRecogniser recogniser;
  recogniser.init(1, 1);
  auto one = dot(1);
  auto two = dot(2);
  recogniser.addFace(one, "one");
  recogniser.addFace(two, "two");
  // Average floor(1.5) = 1: differences 0 and 1, and the probe's is 1.
  // (Rounded to 2, both differences would be 0 and "one" would win.)
  EXPECT_EQ(recogniser.Identify(two), "two");
}

TEST(Recogniser, OnlyThePartBrighterThanTheAverageCounts) {
  ClassFaceRecogniser recogniser;
  recogniser.init(1, 1);
  auto dim = dot(100);
  auto bright = dot(200);
  recogniser.addFace(dim, "dim");        // difference 0 from the average 150
  recogniser.addFace(bright, "bright");  // difference 50
  auto black = dot(0);
  EXPECT_EQ(recogniser.Identify(black), "dim");
  auto justBelow = dot(140);
  EXPECT_EQ(recogniser.Identify(justBelow), "dim");
  auto halfway = dot(175);  // 25 against both
  EXPECT_EQ(recogniser.Identify(halfway), "dim");
  auto pastHalfway = dot(176);  // 26 against 24
  EXPECT_EQ(recogniser.Identify(pastHalfway), "bright");
}

TEST(Recogniser, AnEmptyNameMatchesLikeAnyOther) {
  ClassFaceRecogniser recogniser;
  recogniser.init(1, 1);
  auto face = dot(30);
  recogniser.addFace(face, "");
  EXPECT_EQ(recogniser.Identify(face), "");
  ASSERT_NE(recogniser.Identity(), nullptr);
  EXPECT_EQ(recogniser.Identity()->getPoint(0, 0), 30);
}

TEST(Recogniser, ApplicationSizeOverTheApplicationScale) {
  // 25 x 25 cells over 9.15 x 10.35 units: one point per cell. Face k has the
  // levels (25 x + 7 y + 13 k) mod 256, which differ between any two faces at
  // every point, so only the face itself scores 0 against its own picture.
  auto picture = [](int shift) {
    return FakePictureSurface(9.15f, 10.35f, [shift](float x, float y) {
      const int level = (static_cast<int>(x) * 25 + static_cast<int>(y) * 7 + shift) % 256;
      return rgb(level, level, level);
    });
  };
  ClassFaceRecogniser recogniser;
  recogniser.init(25, 25);
  for (int face = 0; face < 20; ++face) {
    auto surface = picture(face * 13);
    recogniser.addFace(surface, std::to_string(face));
  }
  EXPECT_EQ(recogniser.NoOfFaces(), 20);
  for (const int face : {0, 7, 19}) {
    auto probe = picture(face * 13);
    EXPECT_EQ(recogniser.Identify(probe), std::to_string(face));
    EXPECT_EQ(probe.reads().size(), 625u);
  }
}

TEST(Recogniser, FailedSamplingKeepsTheCountAndEverythingIdentifyUses) {
  ClassFaceRecogniser recogniser;
  recogniser.init(1, 1);
  auto dim = dot(100);
  auto bright = dot(200);
  recogniser.addFace(dim, "dim");
  recogniser.addFace(bright, "bright");
  auto probe = dot(200);
  EXPECT_EQ(recogniser.Identify(probe), "bright");

  auto broken = dot(0);
  broken.failAfter(0);
  try {
    recogniser.addFace(broken, "broken");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Platform);
    EXPECT_STREQ(e.what(), "Picture read failed");
  }
  EXPECT_EQ(recogniser.NoOfFaces(), 2);
  EXPECT_EQ(recogniser.Identify(probe), "bright");
  EXPECT_EQ(recogniser.Identity()->getPoint(0, 0), 200);

  // Slot 2 holds the new, empty grids and no name.
  recogniser.setNoOfFaces(3);
  auto black = dot(0);
  EXPECT_EQ(recogniser.Identify(black), "dim");  // dim and slot 2 both score 0
  EXPECT_EQ(recogniser.Identify(probe), "bright");
}

TEST(Recogniser, CapacityIs1001Faces) {
  ClassFaceRecogniser recogniser;
  recogniser.init(1, 1);
  for (int face = 0; face < 1001; ++face) {
    auto surface = dot(face % 256);
    recogniser.addFace(surface, std::to_string(face));
  }
  EXPECT_EQ(recogniser.NoOfFaces(), 1001);
  auto probe = dot(255);
  // The faces sum to 3 x 32640 + 27028 = 124948, an average of 124; the
  // probe's difference 131 is matched only by a stored 255, first in slot 255.
  EXPECT_EQ(recogniser.Identify(probe), "255");

  auto extra = dot(7);
  EXPECT_EQ(kindOf([&] { recogniser.addFace(extra, "1001"); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_TRUE(extra.reads().empty());
  EXPECT_EQ(recogniser.NoOfFaces(), 1001);
  EXPECT_EQ(recogniser.Identify(probe), "255");
  EXPECT_EQ(recogniser.Identity()->getPoint(0, 0), 255);

  // Counting one slot beyond the table fails when renewing reaches that
  // slot, before any face is scored: the match stays.
  recogniser.setNoOfFaces(1002);
  auto black = dot(0);
  EXPECT_EQ(kindOf([&] { recogniser.Identify(black); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(recogniser.Identity()->getPoint(0, 0), 255);
}

// A plain side x side picture that keeps no record of its many reads.
FakePictureSurface quietPlain(std::int16_t side, std::int32_t colour) {
  auto surface = FakePictureSurface::plain(side, side, colour);
  surface.stopRecording();
  return surface;
}

TEST(Recogniser, AScoreOf99999999OrMoreNeverWins) {
  // 700 x 700 cells of 255 score 124950000.
  const std::int16_t side = 700;
  ClassFaceRecogniser recogniser;
  recogniser.init(side, side);
  auto black = quietPlain(side, 0);
  recogniser.addFace(black, "dark");
  auto white = quietPlain(side, rgb(255, 255, 255));
  EXPECT_EQ(recogniser.Identify(white), "");
  EXPECT_EQ(recogniser.Identity(), nullptr);
  EXPECT_EQ(recogniser.Identify(black), "dark");
  const auto identity = recogniser.Identity();
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(recogniser.Identify(white), "");
  EXPECT_EQ(recogniser.Identity(), identity);
}

TEST(Recogniser, RunningScoreBeyond32BitsOverflows) {
  // 2902 x 2902 cells of 255 sum to 2147509020, past 2147483647.
  const std::int16_t side = 2902;
  ClassFaceRecogniser recogniser;
  recogniser.init(side, side);
  auto black = quietPlain(side, 0);
  recogniser.addFace(black, "dark");
  auto white = quietPlain(side, rgb(255, 255, 255));
  EXPECT_EQ(kindOf([&] { recogniser.Identify(white); }), ErrorKind::Overflow);
  EXPECT_EQ(recogniser.Identity(), nullptr);
  EXPECT_EQ(recogniser.NoOfFaces(), 1);
}

}  // namespace
}  // namespace tavro

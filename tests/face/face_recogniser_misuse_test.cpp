// The recogniser driven through its public setters into states the normal
// course never reaches: each ends in the error the algorithm meets there,
// with the state it leaves, never in a crash.

#include "face/face_recogniser.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/face/face_test_pictures.h"
#include "tests/imaging/error_kind_of.h"

namespace tavro {
namespace {

// Two one-cell faces, 100 and 200: average 150, differences 0 and 50.
class TwoDots : public ::testing::Test {
 protected:
  void SetUp() override {
    recogniser.init(1, 1);
    recogniser.addFace(dim, "dim");
    recogniser.addFace(bright, "bright");
  }
  ClassFaceRecogniser recogniser;
  FakePictureSurface dim = dot(100);
  FakePictureSurface bright = dot(200);
};

TEST_F(TwoDots, CountPointingAtEmptySlotsFailsWhenTheFirstIsRead) {
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  recogniser.setNoOfFaces(5);
  auto black = dot(0);
  // Slot 5 is filled and counted; averaging then reaches the empty slot 2.
  EXPECT_EQ(kindOf([&] { recogniser.addFace(black, "late"); }), ErrorKind::ObjectNotSet);
  EXPECT_EQ(recogniser.NoOfFaces(), 6);
  // Identify renews first and fails there, before any face is scored: the
  // match stays "bright".
  auto white = dot(255);
  EXPECT_EQ(kindOf([&] { recogniser.Identify(white); }), ErrorKind::ObjectNotSet);
  ASSERT_NE(recogniser.Identity(), nullptr);
  EXPECT_EQ(recogniser.Identity()->getPoint(0, 0), 200);
}

TEST_F(TwoDots, NegativeCountStoresNothingAndMatchesNothing) {
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  const auto identity = recogniser.Identity();
  recogniser.setNoOfFaces(-1);
  auto face = dot(9);
  EXPECT_EQ(kindOf([&] { recogniser.addFace(face, "x"); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_TRUE(face.reads().empty());
  EXPECT_EQ(recogniser.NoOfFaces(), -1);
  EXPECT_EQ(recogniser.Identify(bright), "");
  EXPECT_EQ(recogniser.Identity(), identity);
}

TEST_F(TwoDots, MostNegativeCountOverflowsTheFaceLoop) {
  recogniser.setNoOfFaces(-32768);
  EXPECT_EQ(kindOf([&] { recogniser.Identify(bright); }), ErrorKind::Overflow);
  EXPECT_EQ(recogniser.Identity(), nullptr);
}

TEST_F(TwoDots, CountAtOrBeyondCapacity) {
  recogniser.setNoOfFaces(1001);
  auto face = dot(9);
  EXPECT_EQ(kindOf([&] { recogniser.addFace(face, "x"); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(recogniser.NoOfFaces(), 1001);
  EXPECT_EQ(kindOf([&] { recogniser.Identify(bright); }), ErrorKind::ObjectNotSet);  // slot 2
  recogniser.setNoOfFaces(2000);
  EXPECT_EQ(kindOf([&] { recogniser.Identify(bright); }), ErrorKind::ObjectNotSet);
  EXPECT_EQ(recogniser.Identity(), nullptr);  // renewal fails before any face is scored
}

TEST_F(TwoDots, ZeroWidthScoresEveryFaceZeroSoTheFirstWins) {
  recogniser.setImageWidth(0);
  EXPECT_EQ(recogniser.Identify(bright), "dim");
  EXPECT_EQ(recogniser.Identity()->getPoint(0, 0), 100);
}

TEST_F(TwoDots, ZeroWidthWithACountBeyondTheSlotsNeverReachesAMissingSlot) {
  recogniser.setImageWidth(0);
  recogniser.setNoOfFaces(1500);  // every score is 0: only slot 0 is ever taken
  EXPECT_EQ(recogniser.Identify(bright), "dim");
}

TEST_F(TwoDots, ACountSetBeforeIdentifyIsTheOneRenewedFrom) {
  recogniser.setNoOfFaces(1);  // "dim" alone: average 100
  auto probe = dot(140);       // difference 40, where the average 150 of both gave 0
  EXPECT_EQ(recogniser.Identify(probe), "dim");
  EXPECT_EQ(recogniser.lastScores(), std::vector<std::int32_t>{40});
}

TEST_F(TwoDots, SizeBeyondTheStoredGridsIsOutOfRange) {
  recogniser.setImageWidth(3);  // the one-cell grids accept x up to 1
  EXPECT_EQ(kindOf([&] { recogniser.Identify(bright); }), ErrorKind::SubscriptOutOfRange);
}

TEST_F(TwoDots, NegativeInitFailsAfterStoringTheSize) {
  EXPECT_EQ(kindOf([&] { recogniser.init(-1, 1); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(recogniser.imageWidth(), -1);
  auto face = dot(9);
  EXPECT_EQ(kindOf([&] { recogniser.addFace(face, "x"); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(recogniser.NoOfFaces(), 2);
  // The new probe grid never got a size: sampling divides by zero.
  EXPECT_EQ(kindOf([&] { recogniser.Identify(bright); }), ErrorKind::DivisionByZero);
}

TEST_F(TwoDots, AbsurdInitIsRefusedAsOutOfMemory) {
  try {
    recogniser.init(10000, 10000);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.kind(), ErrorKind::Platform);
    EXPECT_STREQ(e.what(), "Out of memory");
  }
  EXPECT_EQ(recogniser.imageWidth(), 10000);
}

TEST_F(TwoDots, IdentityCanBeSetToAnyGridWithoutEffectOnMatching) {
  auto own = std::make_shared<classImageProcessing>();
  recogniser.setIdentity(own);
  EXPECT_EQ(recogniser.Identity(), own);
  recogniser.setIdentity(nullptr);
  EXPECT_EQ(recogniser.Identity(), nullptr);
  EXPECT_EQ(recogniser.Identify(bright), "bright");
}

TEST_F(TwoDots, ChangingTheMatchedGridNeverReachesTheDatabase) {
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  recogniser.Identity()->setPoint(0, 0, 0);  // a copy of the stored "bright" grid
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  auto black = dot(0);
  recogniser.addFace(black, "black");
  // Average floor((100 + 200 + 0) / 3) = 100: differences 0, 100, 0.
  EXPECT_EQ(recogniser.Identify(black), "dim");
}

TEST_F(TwoDots, ChangingAHeldGridAfterAddFaceDoesNotReachItsDifference) {
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  const std::shared_ptr<classImageProcessing> held = recogniser.Identity();
  auto black = dot(0);
  recogniser.addFace(black, "black");  // average 100: differences 0, 100, 0
  held->setPoint(0, 0, 0);
  // The probe's difference 100 still matches the difference stored at addFace.
  EXPECT_EQ(recogniser.Identify(bright), "bright");
}

TEST_F(TwoDots, AMatchedGridChangedThroughAPlainReferenceNeverReachesTheDatabase) {
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  // No shared reference kept: the copy lives only until Identity moves on.
  classImageProcessing& kept = *recogniser.Identity();
  kept.setPoint(0, 0, 0);
  EXPECT_EQ(recogniser.Identify(dim), "dim");
  auto black = dot(0);
  recogniser.addFace(black, "black");
  auto black2 = dot(0);
  recogniser.addFace(black2, "black2");
  // Average floor((100 + 200 + 0 + 0) / 4) = 75: differences 25, 125, 0, 0.
  // A probe of 70 (difference 0) scores 0 first against "black".
  auto probe = dot(70);
  EXPECT_EQ(recogniser.Identify(probe), "black");
}

TEST_F(TwoDots, SpareCellOfAMatchedGridReachesNoComparison) {
  EXPECT_EQ(recogniser.Identify(bright), "bright");
  recogniser.Identity()->setPoint(1, 0, 250);  // the spare column of a copy of "bright"
  // Two columns: the one-column faces read their spare column, 0, in column 1.
  recogniser.setImageWidth(2);
  auto wide = greyFace({{0}, {0}});
  recogniser.addFace(wide, "wide");
  // Back to one column: average floor(400 / 4) = 100, differences 0, 100, 0,
  // 0 in column 0.
  recogniser.setImageWidth(1);
  auto narrow = dot(100);
  recogniser.addFace(narrow, "narrow");
  EXPECT_EQ(recogniser.Identify(bright), "bright");  // probe difference 100
}

TEST_F(TwoDots, ASlotRewrittenByAFailedAddFaceKeepsItsOldName) {
  auto third = dot(50);
  recogniser.addFace(third, "third");
  recogniser.setNoOfFaces(1);
  auto broken = dot(0);
  broken.failAfter(0);
  EXPECT_EQ(kindOf([&] { recogniser.addFace(broken, "broken"); }), ErrorKind::Platform);
  // Slot 1 now holds a new grid of 0 under the old name "bright".
  recogniser.setNoOfFaces(3);
  auto black = dot(0);
  recogniser.addFace(black, "black");
  // Average floor((100 + 0 + 50 + 0) / 4) = 37: differences 63, 0, 13, 0.
  auto probe = dot(50);  // difference 13
  EXPECT_EQ(recogniser.Identify(probe), "third");
  auto dark = dot(0);  // difference 0: slot 1 scores 0 first
  EXPECT_EQ(recogniser.Identify(dark), "bright");
}

TEST(RecogniserReinit, LargerSizeReadsOldFacesOutOfRange) {
  ClassFaceRecogniser recogniser;
  recogniser.init(2, 2);
  auto a = square(100, 100, 100, 100);
  auto b = square(200, 200, 200, 200);
  recogniser.addFace(a, "A");
  recogniser.addFace(b, "B");
  recogniser.init(4, 2);  // the old grids accept x up to 2 only
  auto c = greyFace({{10, 10}, {10, 10}, {10, 10}, {10, 10}});
  EXPECT_EQ(kindOf([&] { recogniser.addFace(c, "C"); }), ErrorKind::SubscriptOutOfRange);
  EXPECT_EQ(recogniser.NoOfFaces(), 3);

  // One column more than the old grids is still inside their bounds: their
  // spare column (0) is averaged in. Over 3 x 2 with A, B, C (10) and D (50):
  // average 90 in columns 0-1 and floor(60 / 4) = 15 in column 2.
  recogniser.init(3, 2);
  auto d = greyFace({{50, 50}, {50, 50}, {50, 50}});
  recogniser.addFace(d, "D");
  EXPECT_EQ(recogniser.NoOfFaces(), 4);
  // Differences: A 10,10,0; B 110,110,0; C 0,0,0; D 0,0,35 (per column).
  auto likeA = greyFace({{100, 100}, {100, 100}, {0, 0}});  // 10, 10, 0
  EXPECT_EQ(recogniser.Identify(likeA), "A");
  auto likeD = greyFace({{50, 50}, {50, 50}, {50, 50}});  // 0, 0, 35
  EXPECT_EQ(recogniser.Identify(likeD), "D");
  auto likeC = greyFace({{0, 0}, {0, 0}, {0, 0}});  // 0, 0, 0: C scores 0, D 70
  EXPECT_EQ(recogniser.Identify(likeC), "C");
}

TEST(RecogniserReinit, SmallerSizeComparesOnlyTheSmallerArea) {
  ClassFaceRecogniser recogniser;
  recogniser.init(2, 1);
  auto a = greyFace({{100}, {0}});
  auto b = greyFace({{0}, {100}});
  recogniser.addFace(a, "A");
  recogniser.addFace(b, "B");
  recogniser.init(1, 1);
  auto c = dot(40);
  recogniser.addFace(c, "C");
  // Over cell (0, 0) only: average floor(140 / 3) = 46; differences 54, 0, 0.
  auto probe = dot(100);
  EXPECT_EQ(recogniser.Identify(probe), "A");
  auto dark = dot(0);
  EXPECT_EQ(recogniser.Identify(dark), "B");
}

}  // namespace
}  // namespace tavro

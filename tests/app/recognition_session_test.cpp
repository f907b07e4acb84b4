#include "app/recognition_session.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>

#include "face_picture_files.h"
#include "pictures/picture_loader.h"
#include "platform/errors.h"
#include "platform/random.h"
#include "widgets/picture_box_model.h"

namespace {

using namespace tavro::testing;
using tavro::RecognitionSession;

class RecognitionSessionTest : public ::testing::Test {
 protected:
  void TearDown() override { tavro::setRandomSource({}); }

  // Replays the given values as the random source, counting the draws.
  void replayRandom(std::deque<double> values) {
    tavro::setRandomSource([this, values]() mutable {
      ++draws_;
      const double v = values.front();
      values.pop_front();
      return v;
    });
  }

  QTemporaryDir dir_;
  RecordingMessageBox messages_;
  tavro::PictureBoxModel pic0_ = tavro::PictureBoxModel::faceBox();
  tavro::PictureBoxModel pic1_ = tavro::PictureBoxModel::faceBox();
  RecognitionSession session_{dir_.path(), messages_, pic0_, pic1_};
  int draws_ = 0;
};


TEST_F(RecognitionSessionTest, IdentifiesAProbeAndShowsTheMatchedAFile) {
  ASSERT_TRUE(writeAllFaceFiles(dir_.path()));
  session_.trainDatabase();
  // The "b" file of face 7 as the probe: face 7 wins, its "a" file is shown.
  const tavro::Identification answer = session_.identify(faceFileName(dir_.path(), 7, 'b'));
  EXPECT_TRUE(answer.probe.loaded());
  EXPECT_EQ(answer.faceName, "7");
  EXPECT_EQ(answer.faceNumber, 7);
  EXPECT_EQ(answer.matchedFaceFile, faceFileName(dir_.path(), 7, 'a'));
  EXPECT_TRUE(answer.matchedFace.loaded());
  EXPECT_TRUE(showsPicture(pic1_.image(), tavro::loadPicture(faceFileName(dir_.path(), 7, 'a'))));
  EXPECT_TRUE(showsPicture(pic0_.image(), tavro::loadPicture(faceFileName(dir_.path(), 7, 'b'))));

  for (int number : {0, 12, 19}) {
    EXPECT_EQ(session_.identify(faceFileName(dir_.path(), number, 'a')).faceNumber, number);
  }
}


TEST_F(RecognitionSessionTest, AMissingFaceIsBuiltFromWhatPic0ShowsThen) {
  // Only face 19's pictures: every load but two is skipped.
  ASSERT_TRUE(writeFaceFile(dir_.path(), 19, 'a'));
  ASSERT_TRUE(writeFaceFile(dir_.path(), 19, 'b'));
  int loads = 0;
  pic0_.setChangeListener([&loads] { ++loads; });
  session_.trainDatabase();
  EXPECT_EQ(loads, 2);
  EXPECT_EQ(session_.faceCount(), 40);
  EXPECT_TRUE(showsPicture(pic0_.image(), tavro::loadPicture(faceFileName(dir_.path(), 19, 'b'))));
  // The probe face19a matches face 19 "a", stored before the "b" faces 0..18
  // that were built from the same picture.
  EXPECT_EQ(session_.identify(faceFileName(dir_.path(), 19, 'a')).faceName, "19");
  // The placeholder matches face 0, the first of the placeholder faces.
  pic0_.setPicture(tavro::facePlaceholder());
  const tavro::Identification unloaded = session_.identify(QString());
  EXPECT_FALSE(unloaded.probe.loaded());
  EXPECT_EQ(unloaded.faceName, "0");
}


TEST_F(RecognitionSessionTest, TestProbesWithTheFifthDrawOnly) {
  replayRandom({0.9, 0.9, 0.9, 0.9, 0.2});
  EXPECT_EQ(session_.testProbePath(), faceFileName(dir_.path(), 0, 'a'));
  EXPECT_EQ(draws_, 5);
  replayRandom({0.1, 0.1, 0.1, 0.1, 0.7});
  EXPECT_EQ(session_.testProbePath(), faceFileName(dir_.path(), 1, 'a'));
  // 0.5 is a tie and goes to the even 0.
  replayRandom({0.9, 0.9, 0.9, 0.9, 0.5});
  EXPECT_EQ(session_.testProbePath(), faceFileName(dir_.path(), 0, 'a'));
  EXPECT_EQ(draws_, 15);
}


TEST_F(RecognitionSessionTest, IdentifyingBeforeAnyFaceFails) {
  try {
    session_.identify(QString());
    FAIL() << "identified without faces";
  } catch (const tavro::Error& e) {
    EXPECT_EQ(e.kind(), tavro::ErrorKind::ObjectNotSet);
  }
}


}  // namespace

#include "app/recognition_commands.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "face_picture_files.h"
#include "pictures/picture_loader.h"
#include "platform/random.h"
#include "widgets/picture_box_model.h"

namespace {

using namespace tavro::testing;

// Keeps what the commands did to the window, in order.
class RecordingView : public tavro::RecognitionView {
 public:
  void setCheckImageEnabled(bool enabled) override {
    events.append(enabled ? "enable Check IMAGE" : "disable Check IMAGE");
  }
  void setTrainCaption(const QString& caption) override { events.append("caption " + caption); }
  void showIdentificationArea() override { events.append("show Identified"); }
  QStringList events;
};

class RecognitionCommandsTest : public ::testing::Test {
 protected:
  void TearDown() override { tavro::setRandomSource({}); }

  QTemporaryDir dir_;
  RecordingMessageBox messages_;
  RecordingView view_;
  tavro::PictureBoxModel pic0_ = tavro::PictureBoxModel::faceBox();
  tavro::PictureBoxModel pic1_ = tavro::PictureBoxModel::faceBox();
  tavro::RecognitionSession session_{dir_.path(), messages_, pic0_, pic1_};
  tavro::StatusReport status_;
  tavro::RecognitionCommands commands_{session_, view_, messages_, status_};
};

TEST_F(RecognitionCommandsTest, TrainingDisablesCheckImageUntilTheRunEnds) {
  commands_.trainDatabase();
  EXPECT_EQ(view_.events, QStringList({"disable Check IMAGE", "caption retrain", "enable Check IMAGE"}));
  EXPECT_EQ(session_.faceCount(), 40);
  EXPECT_TRUE(messages_.texts.isEmpty());
}

TEST_F(RecognitionCommandsTest, CheckImageShowsTheAnswerAreaFirst) {
  ASSERT_TRUE(writeAllFaceFiles(dir_.path()));
  commands_.trainDatabase();
  view_.events.clear();
  // A typed absolute path with backslashes.
  QString typed = faceFileName(dir_.path(), 13, 'b');
  typed.replace('/', '\\').replace(0, 1, '/');
  commands_.checkImage(typed);
  EXPECT_EQ(view_.events, QStringList({"show Identified"}));
  EXPECT_TRUE(showsPicture(pic1_.image(), tavro::loadPicture(faceFileName(dir_.path(), 13, 'a'))));
}

TEST_F(RecognitionCommandsTest, IdentificationWithoutFacesIsRefusedWithAMessage) {
  tavro::setRandomSource([]() -> double { ADD_FAILURE() << "drew a random number"; return 0.0; });
  commands_.testRandomFace();
  commands_.checkImage("\\TavroTEST.BMP");
  EXPECT_EQ(messages_.texts, QStringList({
                                 "TEST: no faces are stored yet. Click \"Train Database\" first.",
                                 "Check IMAGE: no faces are stored yet. Click \"Train Database\" first.",
                             }));
  EXPECT_TRUE(view_.events.isEmpty());
  EXPECT_EQ(session_.faceCount(), 0);
}


TEST_F(RecognitionCommandsTest, AFailedDrawIsReportedAndTheWindowCarriesOn) {
  commands_.trainDatabase();
  tavro::setRandomSource([] { return 1.0e9; });  // no 16-bit face number
  commands_.testRandomFace();
  EXPECT_EQ(messages_.texts, QStringList({"TEST failed: Overflow"}));
}

TEST_F(RecognitionCommandsTest, TheRunPastTheCapacityIsRefusedAndCheckImageStaysEnabled) {
  for (int run = 1; run <= 25; ++run) commands_.trainDatabase();
  ASSERT_TRUE(messages_.texts.isEmpty());
  view_.events.clear();
  commands_.trainDatabase();
  EXPECT_EQ(session_.faceCount(), 1000);
  ASSERT_EQ(messages_.texts.size(), 1);
  EXPECT_EQ(messages_.texts[0],
            "Train Database failed: The face database is full: it holds 1000 faces, a training run adds 40 "
            "and at most 1001 fit\n1000 faces are stored (this run added 0 of 40).");
  EXPECT_EQ(view_.events, QStringList({"disable Check IMAGE", "caption retrain", "enable Check IMAGE"}));
}


}  // namespace

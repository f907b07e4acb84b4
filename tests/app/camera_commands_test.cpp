#include "app/camera_commands.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "face_picture_files.h"
#include "fake_capture.h"
#include "widgets/picture_box_model.h"

namespace {

using namespace tavro::testing;

class CameraCommandsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  FakeCapture capture_;
  RecordingMessageBox messages_;
  tavro::StatusReport status_;
  tavro::PictureBoxModel display_{QSize(157, 117), 2355.0f, 1755.0f};
  tavro::CameraCommands commands_{capture_, dir_.path(), messages_, display_, status_};
};

TEST_F(CameraCommandsTest, PreviewButtonsSetLiveView) {
  commands_.switchPreviewOn();
  commands_.switchPreviewOff();
  commands_.switchPreviewOff();
  EXPECT_EQ(capture_.calls, QStringList({"LiveView true", "LiveView false", "LiveView false"}));
}

TEST_F(CameraCommandsTest, TakePictureWritesTheTypedPathAndShowsIt) {
  const QString path = dir_.filePath("shot.jpg");
  QString typed = path;
  typed.replace('/', '\\').replace(0, 1, '/');
  commands_.takePicture(typed);
  EXPECT_EQ(capture_.calls, QStringList({"WriteFrameFile " + path}));
  EXPECT_TRUE(showsPicture(display_.image(), facePicture(9, 0)));
  EXPECT_TRUE(messages_.texts.isEmpty());
}

TEST_F(CameraCommandsTest, DatabasePicturesAlwaysGoToFaceNineteen) {
  commands_.takeDatabasePicture(0);
  commands_.takeDatabasePicture(1);
  commands_.takeDatabasePicture(2);
  EXPECT_EQ(commands_.snapshotFaceNumber(), 19);
  EXPECT_EQ(capture_.calls, QStringList({"WriteFrameFile " + dir_.path() + "/face19a.jpg",
                                         "WriteFrameFile " + dir_.path() + "/face19b.jpg",
                                         "WriteFrameFile " + dir_.path() + "/face19c.jpg"}));
  // Nothing is displayed.
  EXPECT_EQ(display_.point(0.0f, 0.0f), tavro::PictureBoxModel::kBackground);
}

TEST_F(CameraCommandsTest, DatabasePicturesAreRefusedWhileTheTestPictureStandsIn) {
  capture_.standIn = true;
  commands_.takeDatabasePicture(2);
  commands_.takePicture(dir_.filePath("shot.bmp"));  // "TAKE PIC" saves what the camera area shows
  ASSERT_EQ(messages_.texts.size(), 1);
  EXPECT_TRUE(messages_.texts[0].startsWith("PIC (C) refused: there is no camera picture"));
  EXPECT_TRUE(messages_.texts[0].contains("No face file was written (" + dir_.path() + "/face19c.jpg)"));
  EXPECT_EQ(capture_.calls, QStringList({"WriteFrameFile " + dir_.filePath("shot.bmp")}));
}

TEST_F(CameraCommandsTest, RecordNamesTheFileThenStarts) {
  commands_.startRecording("\\videos\\clip.avi");  // from the home folder
  commands_.stopRecording();
  EXPECT_EQ(capture_.calls, QStringList({"RecordFileName " + QDir::homePath() + "/videos/clip.avi",
                                         "StartRecording", "StopRecording"}));
}

TEST_F(CameraCommandsTest, TheFirstDatabasePictureCreatesTheFaceFolder) {
  const QString folder = dir_.filePath("data/tavro-cam");
  tavro::CameraCommands commands{capture_, folder, messages_, display_, status_};
  commands.takeDatabasePicture(0);
  EXPECT_TRUE(QFileInfo(folder + "/face19a.jpg").isFile());
  EXPECT_TRUE(messages_.texts.isEmpty());
}

TEST_F(CameraCommandsTest, AFailedSnapshotIsReportedAndTheDisplayKept) {
  display_.setPicture(tavro::displayPlaceholder());
  capture_.failure = "No camera";
  commands_.takePicture(dir_.filePath("shot.bmp"));
  commands_.takeDatabasePicture(1);
  commands_.startRecording(dir_.filePath("clip.avi"));
  EXPECT_EQ(messages_.texts,
            QStringList({"TAKE PIC failed: No camera", "PIC (B) failed: No camera", "Record failed: No camera"}));
  EXPECT_TRUE(showsPicture(display_.image(), tavro::displayPlaceholder()));
}

TEST_F(CameraCommandsTest, ASnapshotThatCannotBeShownIsReported) {
  display_.setPicture(tavro::displayPlaceholder());
  capture_.writeText = true;
  const QString path = dir_.filePath("shot.bmp");
  commands_.takePicture(path);
  ASSERT_EQ(messages_.texts.size(), 1);
  EXPECT_EQ(messages_.texts[0], "TAKE PIC: the snapshot could not be shown: Invalid picture: " + path +
                                    " holds no picture in a known format");
  EXPECT_TRUE(showsPicture(display_.image(), tavro::displayPlaceholder()));
}

}  // namespace

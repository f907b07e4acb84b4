// The status line's texts, one kind of line per step, as a user's session
// with the command classes and no window would produce them.

#include "app/status_report.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <functional>
#include <sys/stat.h>

#include "app/camera_commands.h"
#include "app/recognition_commands.h"
#include "face_picture_files.h"
#include "fake_capture.h"
#include "platform/random.h"

namespace {

using namespace tavro::testing;

class NoView : public tavro::RecognitionView {
  void setCheckImageEnabled(bool) override {}
  void setTrainCaption(const QString&) override {}
  void showIdentificationArea() override {}
};

// '*' stands for any text (the margins' digits).
bool matches(const QString& text, const QString& pattern) {
  const QString any = QRegularExpression::escape(pattern).replace(QStringLiteral("\\*"), QStringLiteral(".*"));
  return QRegularExpression(QRegularExpression::anchoredPattern(any)).match(text).hasMatch();
}

TEST(StatusReport, SaysWhatEachCommandDid) {
  const auto resetRandom = qScopeGuard([] { tavro::setRandomSource({}); });
  QTemporaryDir dir;
  const QString d = dir.path(), f = d + "/data/tavro-cam";  // f: the face folder, made by PIC (A)
  RecordingMessageBox box;
  tavro::StatusReport status(d);  // d as the home folder: f shows as ~/data/tavro-cam
  tavro::ReportedMessageBox messages(box, status);
  NoView view;
  tavro::PictureBoxModel pic0 = tavro::PictureBoxModel::faceBox(), pic1 = tavro::PictureBoxModel::faceBox();
  tavro::PictureBoxModel display{QSize(157, 117), 2355.0f, 1755.0f};
  tavro::RecognitionSession session(f, messages, pic0, pic1);
  tavro::RecognitionCommands recognition(session, view, messages, status);
  FakeCapture capture;
  tavro::CameraCommands camera(capture, f, messages, display, status);
  const QString copies = " — their faces copy the picture before them.";
  tavro::FaceFinder finder;  // looked for at the end: a drawn square is no face

  const struct {
    const char* what;
    std::function<void()> act;
    QString expected;
    bool boxed = false;  // also the message box's text
  } steps[] = {
      {"refused", [&] { recognition.testRandomFace(); },
       "TEST: no faces are stored yet. Click \"Train Database\" first.", true},
      {"refused snapshot makes nothing",
       [&] { capture.standIn = true; camera.takeDatabasePicture(1); capture.standIn = false; },
       "PIC (B) refused: there is no camera picture, only the test picture standing in for the camera. "
       "No face file was written (" + f + "/face19b.jpg).", true},
      {"nothing to read", [&] { EXPECT_FALSE(QFileInfo::exists(d + "/data")); recognition.trainDatabase(); },
       "Trained: 40 faces stored; 0 of 40 face files read from ~/data/tavro-cam; 40 missing (face0a.jpg, "
       "face1a.jpg, face2a.jpg and 37 more)" + copies},
      {"missing probe, no runner-up, missing a file", [&] { recognition.checkImage(d + "\\gone.jpg"); },
       "Check IMAGE: \"" + d + "\\gone.jpg\" (" + d + "/gone.jpg) was not found, so the picture shown before was "
       "identified: face 0; margin 0.00: uncertain (below 0.25). face0a.jpg is missing, so \"Identified\" keeps "
       "the picture before."},
      {"face snapshot", [&] { camera.takeDatabasePicture(0); },
       "PIC (A): snapshot written to " + f + "/face19a.jpg; the next training run reads it."},
      {"face snapshot no run reads", [&] { camera.takeDatabasePicture(2); },
       "PIC (C): snapshot written to " + f + "/face19c.jpg (training reads only the \"a\" and \"b\" files)."},
      {"snapshot", [&] { camera.takePicture(d + "/shot.bmp"); },
       "TAKE PIC: snapshot written to " + d + "/shot.bmp and shown."},
      {"two files read", [&] { ASSERT_TRUE(writeFaceFile(f, 19, 'b')); recognition.trainDatabase(); },
       "Trained: 80 faces stored; 2 of 40 face files read from ~/data/tavro-cam; 38 missing (face0a.jpg, "
       "face1a.jpg, face2a.jpg and 35 more)" + copies},
      {"sure", [&] { recognition.checkImage(f + "/face19b.jpg"); },
       "Check IMAGE: " + f + "/face19b.jpg is face 19; margin *: sure. \"Identified\" shows face19a.jpg."},
      {"TEST", [&] { tavro::setRandomSource([] { return 0.7; }); recognition.testRandomFace(); },
       "TEST: " + f + "/face1a.jpg was not found, so the picture shown before was identified: face 19; margin *: sure. "
       "\"Identified\" shows face19a.jpg."},
      {"FIFO probe", [&] {
         ASSERT_EQ(::mkfifo(QFile::encodeName(d + "/pipe").constData(), 0600), 0);
         recognition.checkImage(d + "/pipe");
       },
       "Check IMAGE: " + d + "/pipe could not be read (Not a file: " + d + "/pipe), so the picture shown before was "
       "identified: face 19; margin *: sure. \"Identified\" shows face19a.jpg."},
      {"a file changed", [&] {
         ASSERT_TRUE(facePicture(3, 0).save(f + "/face19a.jpg", "JPEG"));
         recognition.checkImage(f + "/face19b.jpg");
       },
       "Check IMAGE: * is face 19; margin *: sure. \"Identified\" shows face19a.jpg, which changed after face 19 "
       "was trained."},
      {"input image", [&] { recognition.loadImageToRecognizer(f + "/face19b.jpg"); },
       "Load image to Recognizer: " + f + "/face19b.jpg is in \"Input Image\"."},
      {"input image missing", [&] { recognition.loadImageToRecognizer(d + "/gone.jpg"); },
       "Load image to Recognizer: " + d + "/gone.jpg was not found; \"Input Image\" keeps its picture."},
      {"unreadable files, one box", [&] {
         for (int n : {0, 1, 2, 4, 5, 6}) ASSERT_TRUE(writeText(faceFileName(f, n, 'a'), "text"));
         ASSERT_TRUE(QDir(f).mkdir("face3a.jpg"));
         const qsizetype before = box.texts.size();
         recognition.trainDatabase();
         ASSERT_EQ(box.texts.size(), before + 1);
         EXPECT_TRUE(box.texts.last().startsWith("Train Database: 7 face files could not be read:\n"
                                                 "frmMain/loadFace/Invalid picture: " + f + "/face0a.jpg"));
         EXPECT_TRUE(box.texts.last().contains("\nfrmMain/loadFace/Not a file: " + f + "/face3a.jpg\n"));
         EXPECT_TRUE(box.texts.last().endsWith("\n… and 2 more"));
       },
       "Trained: 120 faces stored; 2 of 40 face files read from ~/data/tavro-cam; 31 missing (face7a.jpg, "
       "face8a.jpg, face9a.jpg and 28 more); 7 unreadable (face0a.jpg, face1a.jpg, face2a.jpg and 4 more)" + copies},
      {"preview", [&] { camera.switchPreviewOn(); }, "ON: preview on."},
      {"record", [&] { camera.startRecording(d + "/clip.avi"); },
       "Record: recording to " + d + "/clip.avi; \"STOP AVI\" or Esc ends it."},
      {"record again", [&] { camera.startRecording(d + "/other.avi"); },
       "Record: the recording to " + d + "/clip.avi goes on; \"STOP AVI\" or Esc ends it."},
      {"stopping", [&] { camera.stopRecording(); }, "STOP AVI: finishing the recording to " + d + "/clip.avi…"},
      {"none running", [&] { camera.stopRecording(); }, "STOP AVI: no recording was running."},
      {"failed", [&] { capture.failure = "No camera"; camera.takePicture(d + "/x.bmp"); },
       "TAKE PIC failed: No camera", true},
      {"no face found", [&] { session.loader().setFaceFinder(&finder); recognition.checkImage(f + "/face19b.jpg"); },
       "Check IMAGE: * is face 19; no face was found in it, so it was used as it is: uncertain. *"},
      {"input image as it is", [&] { recognition.loadImageToRecognizer(f + "/face19b.jpg"); },
       "Load image to Recognizer: * is in \"Input Image\", as it is: no face was found in it."},
  };
  for (const auto& step : steps) {
    step.act();
    EXPECT_TRUE(matches(status.text(), step.expected)) << step.what << ": " << status.text().toStdString();
    if (step.boxed) { EXPECT_EQ(box.texts.value(box.texts.size() - 1), status.text()) << step.what; }
  }
}

}  // namespace

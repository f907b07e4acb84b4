// The window driven by its controls' names, offscreen, with the capture
// control's built-in test picture.

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <opencv2/videoio.hpp>

#include <sys/stat.h>

#include "app/tavro_recog.h"
#include "capture/ez_vid_cap.h"
#include "face_picture_files.h"
#include "files/native_names.h"
#include "pictures/picture_loader.h"
#include "platform/random.h"
#include "widgets/picture_box.h"
#include "widgets/picture_box_model.h"

using namespace tavro::testing;

class TavroRecogTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void startsWithOnlyCheckImageDisabled();
  void placesEveryControlAtItsTwipPosition();
  void paintsFacesAndLabels();
  void followsTheFocusOrder();
  void worksByKeyboardAndScreenReader();
  void trainsFortyFacesARun();
  void showsTheMatchedFacesAPicture();
  void usesThePlaceholderForMissingFaceFiles();
  void reportsCorruptAndTextFiles();
  void testProbesOnlyFaceZeroOrOne();
  void refusesTestBeforeTraining();
  void refusesTheRunPastTheCapacity();
  void takesAPictureAndShowsIt();
  void takesDatabasePicturesThatTrainingReads();
  void recordsAVideoThatPlaysBack();
  void reportsAFailedSnapshot();
  void worksInAFolderWhoseNameIsNotUtf8();

 private:
  template <class Control>
  Control* control(const char* name) {
    auto* found = window_->findChild<Control*>(QString::fromLatin1(name));
    if (found == nullptr) qFatal("no control %s", name);
    return found;
  }
  void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
  void type(const QString& text) { control<QLineEdit>("TXT_file")->setText(text); }
  QImage shown(const char* box) { return control<tavro::PictureBox>(box)->model().image(); }
  QImage faceFile(int number, char letter) {
    return tavro::loadPicture(faceFileName(dir_->path(), number, letter));
  }

  std::unique_ptr<QTemporaryDir> dir_;
  RecordingMessageBox messages_;
  std::unique_ptr<tavro::TAVRO_RECOG> window_;
};

void TavroRecogTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  messages_.texts.clear();
  window_ = std::make_unique<tavro::TAVRO_RECOG>(dir_->path(), messages_);
  window_->show();
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));  // its key shortcuts need it active
}

void TavroRecogTest::cleanup() {
  window_.reset();
  dir_.reset();
  tavro::setRandomSource({});
}

void TavroRecogTest::startsWithOnlyCheckImageDisabled() {
  QCOMPARE(window_->windowTitle(), QStringLiteral("Tavro CAM"));
  const QList<QPushButton*> buttons = window_->findChildren<QPushButton*>();
  QCOMPARE(buttons.size(), 12);
  for (QPushButton* button : buttons)
    QCOMPARE(button->isEnabled(), button->objectName() != QStringLiteral("cmdTest"));
  QVERIFY(!control<QLabel>("lblIdentity")->isVisible());
  QVERIFY(!control<tavro::PictureBox>("pic1")->isVisible());
  QVERIFY(control<tavro::PictureBox>("pic0")->isVisible());
  QCOMPARE(control<QLineEdit>("TXT_file")->text(), QStringLiteral("\\TavroTEST.BMP"));
  QCOMPARE(control<QPushButton>("cmdstart")->text(), QStringLiteral("Train Database"));
  QCOMPARE(control<QPushButton>("CMD_record")->text(), QStringLiteral("Record "));
  QCOMPARE(control<QPushButton>("cmd_STOP")->toolTip(), QStringLiteral("press ESC to STOP recording"));
  QCOMPARE(control<tavro::PictureBox>("pic0")->model().picture().size(), QSize(100, 100));
  QCOMPARE(control<tavro::PictureBox>("pic1")->model().picture().size(), QSize(100, 100));
  QCOMPARE(control<tavro::PictureBox>("PIC_DISPLAY")->model().drawingArea(), QSize(157, 117));
  QVERIFY(showsPicture(shown("PIC_DISPLAY"), tavro::displayPlaceholder()));
  QVERIFY(showsPicture(shown("pic0"), tavro::facePlaceholder()));
  QCOMPARE(window_->storedFaceCount(), 0);
}

void TavroRecogTest::placesEveryControlAtItsTwipPosition() {
  // The fixed layout, and below it the status line across the window.
  const QWidget* statusLine = control<QWidget>("statusLine");
  QCOMPARE(statusLine->geometry(), QRect(0, 305, 735, statusLine->height()));
  QCOMPARE(window_->size(), QSize(735, 305 + statusLine->height()));
  // Twips divided by 15.
  const struct {
    const char* name;
    QRect place;
  } expected[] = {
      {"ezVidCap1", {24, 8, 160, 120}},     {"CMD_prevON", {24, 136, 73, 25}},
      {"CMD_prevOFF", {104, 136, 73, 25}},  {"CMD_record", {24, 176, 73, 25}},
      {"cmd_STOP", {104, 176, 73, 25}},     {"Label2", {24, 208, 153, 17}},
      {"TXT_file", {24, 240, 337, 25}},     {"PIC_DISPLAY", {200, 8, 161, 121}},
      {"cmd_BMP", {200, 136, 161, 25}},     {"Cmd_RECOG", {200, 168, 161, 25}},
      {"cmdTest", {200, 200, 161, 25}},     {"pic0", {416, 16, 105, 105}},
      {"Label1", {416, 128, 105, 25}},      {"pic1", {584, 16, 105, 105}},
      {"lblIdentity", {584, 128, 105, 25}}, {"Label4", {408, 152, 305, 25}},
      {"cmdstart", {408, 192, 113, 33}},    {"cmdTest2", {408, 232, 113, 33}},
      {"Label3", {560, 200, 153, 17}},      {"Cmd_add_a", {560, 232, 41, 33}},
      {"Cmd_add_b", {616, 232, 41, 33}},    {"Cmd_add_c", {672, 232, 41, 33}},
  };
  for (const auto& [name, place] : expected) QCOMPARE(control<QWidget>(name)->geometry(), place);
  // A face box is its 101-pixel drawing area and a two-pixel border.
  QCOMPARE(control<tavro::PictureBox>("pic0")->model().drawingArea(), QSize(101, 101));
}

void TavroRecogTest::paintsFacesAndLabels() {
  const QImage window = window_->grab().toImage();
  QCOMPARE(window.pixelColor(5, 300), QColor(0, 0, 0));
  // Inside each button's edge, away from its caption.
  QCOMPARE(window.pixelColor(26, 138), QColor(255, 255, 255));      // ON
  QCOMPARE(window.pixelColor(26, 178), QColor(192, 0, 0));          // Record
  QCOMPARE(window.pixelColor(106, 178), QColor(128, 128, 255));     // STOP AVI
  QCOMPARE(window.pixelColor(202, 138), QColor(0, 192, 192));       // TAKE PIC
  QCOMPARE(window.pixelColor(202, 202), QColor(0, 192, 192));       // Check IMAGE
  QCOMPARE(window.pixelColor(410, 194), QColor(255, 128, 0));       // Train Database
  QCOMPARE(window.pixelColor(562, 234), QColor(0, 128, 0));         // PIC (A)
  // pic0: its border, then the placeholder, then the background beyond it.
  QCOMPARE(window.pixelColor(416, 16), QColor(128, 128, 128));
  QCOMPARE(window.pixelColor(417, 17), QColor(64, 64, 64));
  QCOMPARE(window.pixelColor(418, 18), QColor(160, 170, 190));
  QCOMPARE(window.pixelColor(518, 118), QColor(212, 208, 200));
  // Transparent labels on black: the gap below a caption stays black.
  QCOMPARE(window.pixelColor(417, 152), QColor(0, 0, 0));

  const QFont on = control<QPushButton>("CMD_prevON")->font();
  QVERIFY(on.bold());
  QCOMPARE(on.pixelSize(), 12);
  QCOMPARE(control<QLabel>("Label4")->font().pixelSize(), 24);
  QVERIFY(control<QLabel>("Label4")->font().bold());
  QCOMPARE(control<QPushButton>("cmdTest")->font().pixelSize(), 16);
  QCOMPARE(control<QLabel>("Label1")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  QCOMPARE(control<QLabel>("Label2")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

void TavroRecogTest::followsTheFocusOrder() {
  // The left column, the middle, the right; focus starts in the text box.
  QCOMPARE(window_->focusWidget()->objectName(), QStringLiteral("TXT_file"));
  QCOMPARE(control<QWidget>("statusLine")->focusPolicy(), Qt::NoFocus);
  const char* order[] = {"CMD_prevON", "CMD_prevOFF", "CMD_record", "cmd_STOP", "TXT_file", "PIC_DISPLAY",
                         "cmd_BMP", "Cmd_RECOG", "cmdTest", "pic0", "pic1", "cmdstart", "cmdTest2",
                         "Cmd_add_a", "Cmd_add_b", "Cmd_add_c"};
  // The next control in the chain that Tab can reach.
  const auto nextTabStop = [](QWidget* from) {
    QWidget* next = from->nextInFocusChain();
    while ((next->focusPolicy() & Qt::TabFocus) == 0) next = next->nextInFocusChain();
    return next;
  };
  for (std::size_t i = 1; i < std::size(order); ++i)
    QCOMPARE(nextTabStop(control<QWidget>(order[i - 1]))->objectName(), QString::fromLatin1(order[i]));
}

void TavroRecogTest::worksByKeyboardAndScreenReader() {
  const auto heard = [&](const char* name, QAccessible::Text text) {
    return QAccessible::queryAccessibleInterface(control<QWidget>(name))->text(text);
  };
  const struct {
    const char* control;
    QAccessible::Role role;
    QString name, description;
  } start[] = {
      {"TXT_file", QAccessible::EditableText, "PATH\\Filename", ""},
      {"CMD_record", QAccessible::Button, "Record", ""},
      {"ezVidCap1", QAccessible::Client, "Camera", "preview off"},
      {"PIC_DISPLAY", QAccessible::Graphic, "Picture", "placeholder picture"},
      {"pic0", QAccessible::Graphic, "Input Image", "placeholder picture"},
      {"pic1", QAccessible::Graphic, "Identified", "placeholder picture"},
      {"statusLine", QAccessible::StatusBar,
       "Face folder: " + dir_->path() + ". \"Train Database\" reads its face files.", "what the last command did"},
  };
  for (const auto& [name, role, accessibleName, description] : start) {
    QCOMPARE(QAccessible::queryAccessibleInterface(control<QWidget>(name))->role(), role);
    QCOMPARE(heard(name, QAccessible::Name), accessibleName);
    QCOMPARE(heard(name, QAccessible::Description), description);
  }

  QVERIFY(writeAllFaceFiles(dir_->path()));
  QTest::keyClick(control<QLineEdit>("TXT_file"), Qt::Key_Return);  // no button has the focus
  QCOMPARE(window_->storedFaceCount(), 0);
  control<QWidget>("cmdstart")->setFocus();
  QTest::keyClick(control<QWidget>("cmdstart"), Qt::Key_Return);
  QCOMPARE(window_->storedFaceCount(), 40);
  QVERIFY(heard("statusLine", QAccessible::Name).startsWith("Trained: 40 faces stored; 40 of 40 face files read"));
  type(faceFileName(dir_->path(), 16, 'b'));
  control<QWidget>("cmdTest")->setFocus();
  QTest::keyClick(control<QWidget>("cmdTest"), Qt::Key_Enter, Qt::KeypadModifier);
  QCOMPARE(heard("pic1", QAccessible::Description), QStringLiteral("face16a.jpg, face 16"));
  QCOMPARE(heard("pic0", QAccessible::Description), QStringLiteral("face16b.jpg"));
  QCOMPARE(heard("statusLine", QAccessible::Name), window_->statusText());
  QVERIFY(window_->statusText().startsWith("Check IMAGE: " + faceFileName(dir_->path(), 16, 'b') +
                                           " is face 16; margin "));
  QVERIFY(messages_.texts.isEmpty());

  QTest::keyClick(control<QLineEdit>("TXT_file"), Qt::Key_Q, Qt::ControlModifier);
  QVERIFY(!window_->isVisible());
}

void TavroRecogTest::trainsFortyFacesARun() {
  QVERIFY(writeAllFaceFiles(dir_->path()));
  click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 40);
  QCOMPARE(control<QPushButton>("cmdstart")->text(), QStringLiteral("retrain"));
  QVERIFY(control<QPushButton>("cmdTest")->isEnabled());
  QVERIFY(showsPicture(shown("pic0"), faceFile(19, 'b')));
  click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 80);
  QVERIFY(messages_.texts.isEmpty());
}

void TavroRecogTest::showsTheMatchedFacesAPicture() {
  QVERIFY(writeAllFaceFiles(dir_->path()));
  click("cmdstart");
  type(faceFileName(dir_->path(), 16, 'b'));
  click("cmdTest");
  QVERIFY(control<QLabel>("lblIdentity")->isVisible());
  QVERIFY(control<tavro::PictureBox>("pic1")->isVisible());
  QVERIFY(showsPicture(shown("pic0"), faceFile(16, 'b')));
  QVERIFY(showsPicture(shown("pic1"), faceFile(16, 'a')));
  // What the box widget paints is its model.
  const QImage painted = control<tavro::PictureBox>("pic1")->grab().toImage();
  QVERIFY(showsPicture(painted.copy(2, 2, 101, 101), faceFile(16, 'a')));
  QCOMPARE(control<QLabel>("lblIdentity")->text(), QStringLiteral("Identified"));
  QVERIFY(messages_.texts.isEmpty());
}

void TavroRecogTest::usesThePlaceholderForMissingFaceFiles() {
  click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 40);
  type(dir_->filePath("missing.jpg"));
  click("cmdTest");
  // All faces are the placeholder: face 0 wins, and face0a.jpg is missing,
  // so pic1 keeps its placeholder.
  QVERIFY(showsPicture(shown("pic1"), tavro::facePlaceholder()));
  QVERIFY(showsPicture(shown("pic0"), tavro::facePlaceholder()));
  QVERIFY(messages_.texts.isEmpty());

  // A name that names no file identifies what pic0 shows: here face 8.
  QVERIFY(writeFaceFile(dir_->path(), 3, 'a'));
  QVERIFY(writeFaceFile(dir_->path(), 8, 'a'));
  click("cmdstart");
  type(faceFileName(dir_->path(), 8, 'a'));
  click("Cmd_RECOG");
  QVERIFY(showsPicture(shown("pic0"), faceFile(8, 'a')));
  type(dir_->filePath("missing.jpg"));
  click("cmdTest");
  QVERIFY(showsPicture(shown("pic1"), faceFile(8, 'a')));
}

void TavroRecogTest::reportsCorruptAndTextFiles() {
  QVERIFY(writeAllFaceFiles(dir_->path()));
  const QString text = faceFileName(dir_->path(), 5, 'a');
  QVERIFY(writeText(text, "hello\n"));
  click("cmdstart");
  QCOMPARE(messages_.texts,
           QStringList({"frmMain/loadFace/Invalid picture: " + text + " holds no picture in a known format"}));
  // The run carried on: face 5 "a" was built from face 4 "a", still in pic0.
  QCOMPARE(window_->storedFaceCount(), 40);

  QFile jpeg(faceFileName(dir_->path(), 2, 'a'));
  QVERIFY(jpeg.open(QIODevice::ReadOnly));
  const QString corrupt = dir_->filePath("corrupt.jpg");
  QVERIFY(writeText(corrupt, jpeg.read(30) + QByteArray(300, '\x11')));
  type(faceFileName(dir_->path(), 9, 'a'));
  click("Cmd_RECOG");
  type(corrupt);
  click("cmdTest");
  QCOMPARE(messages_.texts.size(), 2);
  QVERIFY2(messages_.texts[1].startsWith("frmMain/loadFace2/Invalid picture: " + corrupt),
           qPrintable(messages_.texts[1]));
  // The identification went on with what pic0 showed: face 9.
  QVERIFY(showsPicture(shown("pic1"), faceFile(9, 'a')));
}

void TavroRecogTest::testProbesOnlyFaceZeroOrOne() {
  QVERIFY(writeAllFaceFiles(dir_->path()));
  click("cmdstart");
  int draws = 0;
  double fifth = 0.6;
  tavro::setRandomSource([&] { return ++draws % 5 == 0 ? fifth : 0.95; });
  click("cmdTest2");
  QCOMPARE(draws, 5);
  QVERIFY(showsPicture(shown("pic0"), faceFile(1, 'a')));
  QVERIFY(showsPicture(shown("pic1"), faceFile(1, 'a')));
  QVERIFY(control<QLabel>("lblIdentity")->isVisible());
  fifth = 0.5;  // a tie: the even 0
  click("cmdTest2");
  QCOMPARE(draws, 10);
  QVERIFY(showsPicture(shown("pic1"), faceFile(0, 'a')));

  tavro::setRandomSource({});
  for (int i = 0; i < 10; ++i) {
    click("cmdTest2");
    QVERIFY(showsPicture(shown("pic0"), faceFile(0, 'a')) || showsPicture(shown("pic0"), faceFile(1, 'a')));
  }
  QVERIFY(messages_.texts.isEmpty());
}

void TavroRecogTest::refusesTestBeforeTraining() {
  click("cmdTest2");
  QCOMPARE(messages_.texts, QStringList({"TEST: no faces are stored yet. Click \"Train Database\" first."}));
  QVERIFY(!control<QLabel>("lblIdentity")->isVisible());
  QVERIFY(!control<QPushButton>("cmdTest")->isEnabled());
  QCOMPARE(window_->storedFaceCount(), 0);
  // The window is still usable.
  click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 40);
}

void TavroRecogTest::refusesTheRunPastTheCapacity() {
  for (int run = 1; run <= 25; ++run) click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 1000);
  QVERIFY(messages_.texts.isEmpty());
  click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 1000);
  QCOMPARE(messages_.texts.size(), 1);
  QVERIFY(messages_.texts[0].startsWith("Train Database failed: The face database is full"));
  QVERIFY(control<QPushButton>("cmdTest")->isEnabled());
  QCOMPARE(control<QPushButton>("cmdstart")->text(), QStringLiteral("retrain"));
  click("cmdTest");
  QVERIFY(control<tavro::PictureBox>("pic1")->isVisible());
  QCOMPARE(messages_.texts.size(), 1);
}

void TavroRecogTest::takesAPictureAndShowsIt() {
  const QString path = dir_->filePath("snapshot.jpg");
  type(path);
  click("CMD_prevON");
  click("cmd_BMP");
  QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
  QVERIFY(QFileInfo(path).isFile());
  const QImage snapshot = tavro::loadPicture(path);
  QVERIFY(!snapshot.isNull());
  QVERIFY(showsPicture(shown("PIC_DISPLAY"), snapshot));
  // pic0 keeps its picture.
  QVERIFY(showsPicture(shown("pic0"), tavro::facePlaceholder()));
  click("CMD_prevOFF");
  QVERIFY(messages_.texts.isEmpty());
}

void TavroRecogTest::takesDatabasePicturesThatTrainingReads() {
  click("Cmd_add_a");
  click("Cmd_add_b");
  click("Cmd_add_c");
  QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
  for (char letter : {'a', 'b', 'c'}) QVERIFY(QFileInfo(faceFileName(dir_->path(), 19, letter)).isFile());
  click("cmdstart");
  QVERIFY(messages_.texts.isEmpty());
  QVERIFY(showsPicture(shown("pic0"), faceFile(19, 'b')));
  type(faceFileName(dir_->path(), 19, 'a'));
  click("cmdTest");
  QVERIFY(showsPicture(shown("pic1"), faceFile(19, 'a')));
}

void TavroRecogTest::recordsAVideoThatPlaysBack() {
  const QString path = dir_->filePath("clip.avi");
  type(path);
  click("CMD_record");
  QTest::qWait(1500);
  click("cmd_STOP");
  QTRY_VERIFY(QFileInfo(path).isFile());  // finished in the background
  QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
  QTRY_VERIFY(window_->statusText().startsWith("Recording saved as " + path + ": "));
  cv::VideoCapture video(path.toStdString());
  QVERIFY(video.isOpened());
  cv::Mat frame;
  QVERIFY(video.read(frame));
  QCOMPARE(frame.cols, 160);
  QCOMPARE(frame.rows, 120);

  // Esc ends a recording wherever the focus is, as the hint on "STOP AVI" says.
  const QString second = dir_->filePath("esc.avi");
  type(second);
  click("CMD_record");
  QTest::qWait(500);
  QTest::keyClick(control<QLineEdit>("TXT_file"), Qt::Key_Escape);
  QTRY_VERIFY(QFileInfo(second).isFile());  // finished and named after the key press
  QTRY_VERIFY(window_->statusText().startsWith("Recording saved as " + second + ": "));
  QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
  QVERIFY(cv::VideoCapture(second.toStdString()).isOpened());
}

void TavroRecogTest::reportsAFailedSnapshot() {
  type(dir_->filePath("no such folder/snapshot.bmp"));
  click("cmd_BMP");
  QCOMPARE(messages_.texts.size(), 1);
  QVERIFY2(messages_.texts[0].startsWith("TAKE PIC failed: "), qPrintable(messages_.texts[0]));
  QVERIFY(showsPicture(shown("PIC_DISPLAY"), tavro::displayPlaceholder()));
  click("cmd_STOP");  // no recording runs: passed to the control, reported if it refuses
  // A recording that fails on its own is told as the control reports it.
  emit control<tavro::ezVidCap>("ezVidCap1")->recordingFailed(QStringLiteral("Recording to x.avi stopped"));
  QCOMPARE(messages_.texts.size(), 2);
  QCOMPARE(messages_.texts[1], QStringLiteral("Recording to x.avi stopped"));
  click("cmdstart");
  QCOMPARE(window_->storedFaceCount(), 40);
}

// Its bytes reach the system as they are, as in the tools.
void TavroRecogTest::worksInAFolderWhoseNameIsNotUtf8() {
  const QByteArray folder = QFile::encodeName(dir_->path()) + "/f\xff";
  QVERIFY(::mkdir(folder.constData(), 0755) == 0);
  const auto removeFolder = qScopeGuard([&] { std::filesystem::remove_all(folder.toStdString()); });
  const auto exists = [](const QByteArray& name) {
    struct stat info {};
    return ::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode);
  };
  window_ = std::make_unique<tavro::TAVRO_RECOG>(tavro::fromNativeName(folder), messages_);
  click("Cmd_add_a");
  QVERIFY(exists(folder + "/face19a.jpg"));
  click("cmdstart");
  QVERIFY(showsPicture(shown("pic0"), tavro::loadPicture(tavro::fromNativeName(folder + "/face19a.jpg"))));
  type(tavro::fromNativeName(folder + "/clip\xfe.avi"));
  click("CMD_record");
  QTest::qWait(300);
  click("cmd_STOP");
  QTRY_VERIFY(exists(folder + "/clip\xfe.avi"));
  QVERIFY2(messages_.texts.isEmpty(), qPrintable(messages_.texts.join('\n')));
}

QTEST_MAIN(TavroRecogTest)
#include "tavro_recog_qtest.moc"

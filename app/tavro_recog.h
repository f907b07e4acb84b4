#pragma once
// The one window of Tavro CAM: the camera preview and its buttons on the
// left, the snapshot display in the middle, the face recogniser on the right,
// and a status line below them saying what the last command did. The slots
// only hand the click to the command classes.
//
// Keyboard: Tab runs down the left column, then the middle, then the right;
// focus starts in the text box; Return or Enter presses the focused button;
// Esc ends a recording; Ctrl+Q closes the window.

#include <QString>
#include <QWidget>
#include <memory>

#include "app/camera_commands.h"
#include "app/ez_vid_cap_control.h"
#include "app/recognition_commands.h"
#include "app/recognition_session.h"
#include "app/recognition_view.h"
#include "app/status_report.h"
#include "capture/source_choice.h"
#include "widgets/message_box.h"
#include "widgets/picture_box.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace tavro {

class TAVRO_RECOG : public QWidget, private RecognitionView {
  Q_OBJECT

 public:
  // Face files in the program's face folder (see FaceFolder), the camera
  // TAVRO_CAMERA names; messages go to dialogs.
  explicit TAVRO_RECOG(QWidget* parent = nullptr);
  // Face files in the given folder, the given camera; messages to dialogs.
  TAVRO_RECOG(QString faceFolder, const CameraSetting& camera, QWidget* parent = nullptr);
  // Face files in the given directory; messages to the given box.
  TAVRO_RECOG(QString programDirectory, MessageBox& messages,
              const CameraSetting& camera = cameraSettingFromEnvironment(), QWidget* parent = nullptr);
  ~TAVRO_RECOG() override;

  // From now on every face file and probe is cut to the face found in it,
  // and the live preview outlines the face a snapshot would give.
  void findFaces(std::unique_ptr<FaceFinder> finder);

  // Faces the recogniser holds; for tests and the status of a run.
  int storedFaceCount() const { return session_->faceCount(); }
  // The status line's whole text (it shows as much as fits).
  const QString& statusText() const { return status_.text(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void trainDatabase();
  void checkImage();
  void testRandomFace();
  void loadImageToRecognizer();
  void switchPreviewOn();
  void switchPreviewOff();
  void takePicture();
  void takePictureA();
  void takePictureB();
  void takePictureC();
  void startRecording();
  void stopRecording();
  // A recording that ended by itself or on Esc with a failure, or that was
  // saved with something to tell.
  void showRecordingMessage(const QString& message);

 private:
  TAVRO_RECOG(QString programDirectory, std::unique_ptr<MessageBox> ownMessages, MessageBox* messages,
              const CameraSetting& camera, QWidget* parent);
  void createControls(const CameraSetting& camera);
  void createStatusLine();
  void showStatus(const QString& text);
  void describeCamera();
  void takeDatabasePicture(std::int16_t letterIndex);
  void setFocusOrder();
  void connectCommands();
  QPushButton* addButton(const char* name, const QString& caption, QRect place, QColor face);
  QLabel* addLabel(const char* name, const QString& caption, QRect place, QColor text,
                   Qt::Alignment alignment);

  void setCheckImageEnabled(bool enabled) override;
  void setTrainCaption(const QString& caption) override;
  void showIdentificationArea() override;

  std::unique_ptr<MessageBox> ownMessages_;
  StatusReport status_;
  // Every message also goes to the status line.
  ReportedMessageBox messages_;
  QStatusBar* statusLine_ = nullptr;

  ezVidCap* ezVidCap1_ = nullptr;
  QPushButton* CMD_prevON_ = nullptr;
  QPushButton* CMD_prevOFF_ = nullptr;
  QPushButton* CMD_record_ = nullptr;
  QPushButton* cmd_STOP_ = nullptr;
  QLabel* Label2_ = nullptr;
  QLineEdit* TXT_file_ = nullptr;
  PictureBox* PIC_DISPLAY_ = nullptr;
  QPushButton* cmd_BMP_ = nullptr;
  QPushButton* Cmd_RECOG_ = nullptr;
  QPushButton* cmdTest_ = nullptr;
  PictureBox* pic0_ = nullptr;
  QLabel* Label1_ = nullptr;
  PictureBox* pic1_ = nullptr;
  QLabel* lblIdentity_ = nullptr;
  QLabel* Label4_ = nullptr;
  QPushButton* cmdstart_ = nullptr;
  QPushButton* cmdTest2_ = nullptr;
  QLabel* Label3_ = nullptr;
  QPushButton* Cmd_add_a_ = nullptr;
  QPushButton* Cmd_add_b_ = nullptr;
  QPushButton* Cmd_add_c_ = nullptr;

  std::unique_ptr<FaceFinder> finder_;
  std::unique_ptr<EzVidCapControl> capture_;
  std::unique_ptr<RecognitionSession> session_;
  std::unique_ptr<RecognitionCommands> recognition_;
  std::unique_ptr<CameraCommands> camera_;
};

}  // namespace tavro

#include "app/tavro_recog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include "app/control_look.h"
#include "app/face_folder.h"
#include "capture/ez_vid_cap.h"
#include "widgets/picture_box_model.h"

namespace tavro {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kRecordRed(192, 0, 0);
const QColor kStopBlue(128, 128, 255);
const QColor kCyan(0, 192, 192);
const QColor kOrange(255, 128, 0);
const QColor kGreen(0, 128, 0);
const QColor kCaptionBlue(192, 192, 255);
// The status line in the light grey of an empty picture box area.
const QColor kStatusGrey(212, 208, 200);
// The fixed layout above the status line.
const QSize kLayoutSize(11025 / kTwipsPerPixel, 4575 / kTwipsPerPixel);

// PIC_DISPLAY: a 2415 x 1815-twip box less its border, in twips as its scale.
PictureBoxModel displayBoxModel() {
  const QSize area(2415 / kTwipsPerPixel - 2 * PictureBox::kBorder,
                   1815 / kTwipsPerPixel - 2 * PictureBox::kBorder);
  PictureBoxModel model(area, static_cast<float>(area.width() * kTwipsPerPixel),
                        static_cast<float>(area.height() * kTwipsPerPixel));
  model.setPicture(displayPlaceholder(), kPlaceholderDescription);
  return model;
}

}  // namespace

TAVRO_RECOG::TAVRO_RECOG(QWidget* parent)
    : TAVRO_RECOG(FaceFolder::ofThisProgram().path(), cameraSettingFromEnvironment(), parent) {}

TAVRO_RECOG::TAVRO_RECOG(QString faceFolder, const CameraSetting& camera, QWidget* parent)
    : TAVRO_RECOG(std::move(faceFolder), std::make_unique<DialogMessageBox>(this), nullptr, camera, parent) {}

TAVRO_RECOG::TAVRO_RECOG(QString programDirectory, MessageBox& messages, const CameraSetting& camera,
                         QWidget* parent)
    : TAVRO_RECOG(std::move(programDirectory), nullptr, &messages, camera, parent) {}

TAVRO_RECOG::TAVRO_RECOG(QString programDirectory, std::unique_ptr<MessageBox> ownMessages,
                         MessageBox* messages, const CameraSetting& camera, QWidget* parent)
    : QWidget(parent),
      ownMessages_(std::move(ownMessages)),
      messages_(messages != nullptr ? *messages : *ownMessages_, status_) {
  setObjectName(QStringLiteral("TAVRO_RECOG"));
  setWindowTitle(QStringLiteral("Tavro CAM"));
  setFont(sansSerif(8));
  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::black);
  setPalette(background);
  setAutoFillBackground(true);

  createControls(camera);
  createStatusLine();
  setFixedSize(kLayoutSize + QSize(0, statusLine_->height()));
  setFocusOrder();

  capture_ = std::make_unique<EzVidCapControl>(*ezVidCap1_);
  session_ = std::make_unique<RecognitionSession>(programDirectory, messages_, pic0_->model(),
                                                  pic1_->model());
  RecognitionView& view = *this;
  recognition_ = std::make_unique<RecognitionCommands>(*session_, view, messages_, status_);
  camera_ = std::make_unique<CameraCommands>(*capture_, programDirectory, messages_,
                                             PIC_DISPLAY_->model(), status_);
  connectCommands();
  status_.setListener([this](const QString& text) { showStatus(text); });
  status_.started(programDirectory);

  // The start state: only "Check IMAGE" disabled; the answer hidden.
  cmdTest_->setEnabled(false);
  lblIdentity_->hide();
  pic1_->hide();
  describeCamera();
  TXT_file_->setFocus();
}

TAVRO_RECOG::~TAVRO_RECOG() = default;

void TAVRO_RECOG::findFaces(std::unique_ptr<FaceFinder> finder) {
  finder_ = std::move(finder);
  session_->loader().setFaceFinder(finder_.get());
  FaceFinder* const found = finder_.get();
  ezVidCap1_->setFaceGuide([found](const QImage& frame) { return found->faceSquare(frame).value_or(QRect()); });
}

void TAVRO_RECOG::createControls(const CameraSetting& camera) {
  ezVidCap1_ = new ezVidCap(camera, this);
  ezVidCap1_->setObjectName(QStringLiteral("ezVidCap1"));
  ezVidCap1_->setGeometry(fromTwips(360, 120, 2400, 1800));
  ezVidCap1_->setAccessibleName(QStringLiteral("Camera"));
  // The live picture shows what of a snapshot a face box will read.
  ezVidCap1_->setFaceGuide([](const QImage&) {
    return QRect(0, 0, PictureBoxModel::kFaceAreaSide, PictureBoxModel::kFaceAreaSide);
  });

  CMD_prevON_ = addButton("CMD_prevON", QStringLiteral("ON"), fromTwips(360, 2040, 1095, 375), kWhite);
  CMD_prevON_->setFont(courierNewBold(9));
  CMD_prevOFF_ = addButton("CMD_prevOFF", QStringLiteral("OFF"), fromTwips(1560, 2040, 1095, 375), kWhite);
  CMD_prevOFF_->setFont(courierNewBold(9.75));
  CMD_record_ = addButton("CMD_record", QStringLiteral("Record "), fromTwips(360, 2640, 1095, 375), kRecordRed);
  CMD_record_->setFont(courierNewBold(8.25));
  cmd_STOP_ = addButton("cmd_STOP", QStringLiteral("STOP AVI"), fromTwips(1560, 2640, 1095, 375), kStopBlue);
  cmd_STOP_->setFont(courierNewBold(8.25));
  cmd_STOP_->setToolTip(QStringLiteral("press ESC to STOP recording"));

  Label2_ = addLabel("Label2", QStringLiteral("PATH\\Filename"), fromTwips(360, 3120, 2295, 255), kWhite,
                     Qt::AlignLeft);
  Label2_->setFont(fontOf(QStringLiteral("Courier"), QFont::TypeWriter, 9.75, true));

  TXT_file_ = new QLineEdit(QStringLiteral("\\TavroTEST.BMP"), this);
  TXT_file_->setObjectName(QStringLiteral("TXT_file"));
  TXT_file_->setGeometry(fromTwips(360, 3600, 5055, 375));
  TXT_file_->setAccessibleName(Label2_->text());
  paintTextBox(*TXT_file_);

  PIC_DISPLAY_ = new PictureBox(displayBoxModel(), this);
  PIC_DISPLAY_->setObjectName(QStringLiteral("PIC_DISPLAY"));
  PIC_DISPLAY_->move(fromTwips(3000, 120, 2415, 1815).topLeft());
  PIC_DISPLAY_->setAccessibleName(QStringLiteral("Picture"));

  cmd_BMP_ = addButton("cmd_BMP", QStringLiteral("TAKE PIC"), fromTwips(3000, 2040, 2415, 375), kCyan);
  Cmd_RECOG_ = addButton("Cmd_RECOG", QStringLiteral("Load image to Recognizer"),
                         fromTwips(3000, 2520, 2415, 375), kCyan);
  cmdTest_ = addButton("cmdTest", QStringLiteral("Check IMAGE"), fromTwips(3000, 3000, 2415, 375), kCyan);
  cmdTest_->setFont(sansSerif(12));

  pic0_ = new PictureBox(PictureBoxModel::faceBox(), this);
  pic0_->setObjectName(QStringLiteral("pic0"));
  pic0_->move(fromTwips(6240, 240, 1575, 1575).topLeft());
  pic0_->setAccessibleName(QStringLiteral("Input Image"));
  Label1_ = addLabel("Label1", QStringLiteral("Input Image"), fromTwips(6240, 1920, 1575, 375), kCaptionBlue,
                     Qt::AlignHCenter);
  pic1_ = new PictureBox(PictureBoxModel::faceBox(), this);
  pic1_->setObjectName(QStringLiteral("pic1"));
  pic1_->move(fromTwips(8760, 240, 1575, 1575).topLeft());
  pic1_->setAccessibleName(QStringLiteral("Identified"));
  lblIdentity_ = addLabel("lblIdentity", QStringLiteral("Identified"), fromTwips(8760, 1920, 1575, 375),
                          kCaptionBlue, Qt::AlignHCenter);

  Label4_ = addLabel("Label4", QStringLiteral("FACE RECOGNIZER"), fromTwips(6120, 2280, 4575, 375), kWhite,
                     Qt::AlignHCenter);
  Label4_->setFont(courierNewBold(18));
  cmdstart_ = addButton("cmdstart", QStringLiteral("Train Database"), fromTwips(6120, 2880, 1695, 495), kOrange);
  cmdTest2_ = addButton("cmdTest2", QStringLiteral("TEST"), fromTwips(6120, 3480, 1695, 495), kOrange);
  Label3_ = addLabel("Label3", QStringLiteral("TAKE PIC for DATABASE"), fromTwips(8400, 3000, 2295, 255), kWhite,
                     Qt::AlignHCenter);
  Cmd_add_a_ = addButton("Cmd_add_a", QStringLiteral("PIC (A)"), fromTwips(8400, 3480, 615, 495), kGreen);
  Cmd_add_b_ = addButton("Cmd_add_b", QStringLiteral("PIC (B)"), fromTwips(9240, 3480, 615, 495), kGreen);
  Cmd_add_c_ = addButton("Cmd_add_c", QStringLiteral("PIC (C)"), fromTwips(10080, 3480, 615, 495), kGreen);
}

QPushButton* TAVRO_RECOG::addButton(const char* name, const QString& caption, QRect place, QColor face) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  button->setFocusPolicy(Qt::StrongFocus);
  // "Record " is heard as "Record".
  if (caption.trimmed() != caption) button->setAccessibleName(caption.trimmed());
  paintButtonFace(*button, face);
  return button;
}

QLabel* TAVRO_RECOG::addLabel(const char* name, const QString& caption, QRect place, QColor text,
                              Qt::Alignment alignment) {
  auto* label = new QLabel(caption, this);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(place);
  paintLabelText(*label, text, alignment);
  return label;
}

// Below the fixed layout, the window's full width; it takes no focus.
void TAVRO_RECOG::createStatusLine() {
  statusLine_ = new QStatusBar(this);
  statusLine_->setObjectName(QStringLiteral("statusLine"));
  statusLine_->setSizeGripEnabled(false);
  statusLine_->setFocusPolicy(Qt::NoFocus);
  // Else a screen reader would hear the tool tip, the text again.
  statusLine_->setAccessibleDescription(QStringLiteral("what the last command did"));
  QPalette look = statusLine_->palette();
  look.setColor(QPalette::Window, kStatusGrey);
  look.setColor(QPalette::WindowText, Qt::black);
  statusLine_->setPalette(look);
  statusLine_->setAutoFillBackground(true);
  statusLine_->setGeometry(QRect(QPoint(0, kLayoutSize.height()),
                                 QSize(kLayoutSize.width(), statusLine_->sizeHint().height())));
}

// Shows what fits; the whole text is its accessible name and its tool tip.
void TAVRO_RECOG::showStatus(const QString& text) {
  const int room = statusLine_->contentsRect().width() - 8;
  statusLine_->showMessage(statusLine_->fontMetrics().elidedText(text, Qt::ElideRight, room));
  statusLine_->setAccessibleName(text);
  statusLine_->setToolTip(text);
}

void TAVRO_RECOG::describeCamera() {
  QStringList state{ezVidCap1_->liveView() ? QStringLiteral("preview on") : QStringLiteral("preview off")};
  if (ezVidCap1_->isRecording()) state.append(QStringLiteral("recording"));
  if (!ezVidCap1_->statusText().isEmpty()) state.append(ezVidCap1_->statusText());
  ezVidCap1_->setAccessibleDescription(state.join(QStringLiteral(", ")));
}

// The layout's reading order: the left column, the middle, then the right.
void TAVRO_RECOG::setFocusOrder() {
  QWidget* const order[] = {CMD_prevON_, CMD_prevOFF_, CMD_record_, cmd_STOP_, TXT_file_,
                            PIC_DISPLAY_, cmd_BMP_, Cmd_RECOG_, cmdTest_,
                            pic0_, pic1_, cmdstart_, cmdTest2_, Cmd_add_a_, Cmd_add_b_, Cmd_add_c_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

// A button in a plain window takes Space only; Return and Enter press it too.
void TAVRO_RECOG::keyPressEvent(QKeyEvent* event) {
  auto* button = qobject_cast<QPushButton*>(focusWidget());
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && button != nullptr &&
      button->isEnabled()) {
    button->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TAVRO_RECOG::connectCommands() {
  connect(cmdstart_, &QPushButton::clicked, this, &TAVRO_RECOG::trainDatabase);
  connect(cmdTest_, &QPushButton::clicked, this, &TAVRO_RECOG::checkImage);
  connect(cmdTest2_, &QPushButton::clicked, this, &TAVRO_RECOG::testRandomFace);
  connect(Cmd_RECOG_, &QPushButton::clicked, this, &TAVRO_RECOG::loadImageToRecognizer);
  connect(CMD_prevON_, &QPushButton::clicked, this, &TAVRO_RECOG::switchPreviewOn);
  connect(CMD_prevOFF_, &QPushButton::clicked, this, &TAVRO_RECOG::switchPreviewOff);
  connect(cmd_BMP_, &QPushButton::clicked, this, &TAVRO_RECOG::takePicture);
  connect(Cmd_add_a_, &QPushButton::clicked, this, &TAVRO_RECOG::takePictureA);
  connect(Cmd_add_b_, &QPushButton::clicked, this, &TAVRO_RECOG::takePictureB);
  connect(Cmd_add_c_, &QPushButton::clicked, this, &TAVRO_RECOG::takePictureC);
  connect(CMD_record_, &QPushButton::clicked, this, &TAVRO_RECOG::startRecording);
  connect(cmd_STOP_, &QPushButton::clicked, this, &TAVRO_RECOG::stopRecording);
  connect(ezVidCap1_, &ezVidCap::recordingFailed, this, &TAVRO_RECOG::showRecordingMessage);
  connect(ezVidCap1_, &ezVidCap::recordingNotice, this, &TAVRO_RECOG::showRecordingMessage);
  // Failures and notes reach the status line through their message boxes.
  connect(ezVidCap1_, &ezVidCap::recordingSaved, this, [this](const RecordingSummary& summary) {
    if (summary.end == RecordingSummary::End::Saved) camera_->recordingSaved(QString::fromStdString(summary.message));
  });
  // Esc ends a recording as "STOP AVI" does, wherever the focus is, and says so.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
    if (!capture_->isRecording()) return;
    camera_->stopRecording(QStringLiteral("Esc"));
    describeCamera();
  });
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this), &QShortcut::activated, this, &QWidget::close);
}

void TAVRO_RECOG::trainDatabase() { recognition_->trainDatabase(); }
void TAVRO_RECOG::checkImage() { recognition_->checkImage(TXT_file_->text()); }
void TAVRO_RECOG::testRandomFace() { recognition_->testRandomFace(); }
void TAVRO_RECOG::loadImageToRecognizer() { recognition_->loadImageToRecognizer(TXT_file_->text()); }
void TAVRO_RECOG::switchPreviewOn() {
  camera_->switchPreviewOn();
  describeCamera();
}
void TAVRO_RECOG::switchPreviewOff() {
  camera_->switchPreviewOff();
  describeCamera();
}
void TAVRO_RECOG::takePicture() {
  camera_->takePicture(TXT_file_->text());
  describeCamera();
}
void TAVRO_RECOG::takePictureA() { takeDatabasePicture(0); }
void TAVRO_RECOG::takePictureB() { takeDatabasePicture(1); }
void TAVRO_RECOG::takePictureC() { takeDatabasePicture(2); }
void TAVRO_RECOG::takeDatabasePicture(std::int16_t letterIndex) {
  camera_->takeDatabasePicture(letterIndex);
  describeCamera();
}
void TAVRO_RECOG::startRecording() {
  camera_->startRecording(TXT_file_->text());
  describeCamera();
}
void TAVRO_RECOG::stopRecording() {
  camera_->stopRecording();
  describeCamera();
}
void TAVRO_RECOG::showRecordingMessage(const QString& message) {
  messages_.show(message);
  describeCamera();
}

void TAVRO_RECOG::setCheckImageEnabled(bool enabled) { cmdTest_->setEnabled(enabled); }
void TAVRO_RECOG::setTrainCaption(const QString& caption) { cmdstart_->setText(caption); }

void TAVRO_RECOG::showIdentificationArea() {
  lblIdentity_->show();
  pic1_->show();
}

}  // namespace tavro

#include "capture/ez_vid_cap.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QScopeGuard>

#include "capture/capture_session.h"

namespace tavro {

namespace {

const QColor kNeutralArea(30, 30, 30);
const QColor kAreaEdge(90, 90, 90);
const QColor kStatusText(220, 220, 220);
const QColor kStatusBand(0, 0, 0, 150);
const QColor kRecordingMark(220, 0, 0);
// A light line between dark edges shows on dark and light pictures alike.
const QColor kGuideLine(255, 255, 255);
const QColor kGuideEdge(0, 0, 0, 170);
// Snapshots taken in a row within this time share one opening of the camera.
constexpr int kReleaseDelayMs = 1000;

std::function<SourceChoice()> sourcesFor(const CameraSetting& camera) {
  return [camera] { return chooseSource(camera, cameraDevices()); };
}

}  // namespace

ezVidCap::ezVidCap(QWidget* parent) : ezVidCap(cameraSettingFromEnvironment(), parent) {}

ezVidCap::ezVidCap(const CameraSetting& camera, QWidget* parent) : ezVidCap(sourcesFor(camera), parent) {}

ezVidCap::ezVidCap(std::function<SourceChoice()> makeSource, QWidget* parent, CaptureOptions options)
    : QWidget(parent),
      session_(std::make_unique<CaptureSession>(
          std::move(makeSource), [this] { scheduleRepaint(); },
          [this](const std::string&) { finishFailedRecordingLater(); },
          [this](const RecordingSummary& summary) {
            QMetaObject::invokeMethod(this, [this, summary] { reportFinishedRecording(summary); },
                                      Qt::QueuedConnection);
          },
          std::move(options))) {
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  releaseTimer_.setSingleShot(true);
  releaseTimer_.setInterval(kReleaseDelayMs);
  connect(&releaseTimer_, &QTimer::timeout, this, [this] {
    session_->releaseIfUnneeded();
    update();
  });
  // Key presses reach whichever control has the focus; the filter sees them
  // first, so Esc works wherever the focus is in this window.
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
}

// The session goes first: it finishes a running recording, waits a while
// for recordings being finished and stops the threads that call back into
// this widget.
ezVidCap::~ezVidCap() { session_.reset(); }

void ezVidCap::setLiveView(bool on) {
  liveView_ = on;
  session_->setPreviewOn(on);
  releaseSourceWhenIdle();
  update();
}

void ezVidCap::WriteFrameFile(const QString& path) {
  const auto release = qScopeGuard([this] { releaseSourceWhenIdle(); });
  session_->writeFrameFile(path);
}

bool ezVidCap::WriteCameraFrameFile(const QString& path) {
  const auto release = qScopeGuard([this] { releaseSourceWhenIdle(); });
  return session_->writeCameraFrameFile(path);
}

void ezVidCap::setFaceGuide(std::function<QRect(const QImage& frame)> findPart) {
  faceGuide_ = std::move(findPart);
  guidedPart_ = {};
  update();
}

void ezVidCap::setRecordFileName(const QString& path) { session_->setRecordFileName(path); }
QString ezVidCap::recordingFile() const { return session_->recordingFile(); }

void ezVidCap::StartRecording() {
  const auto release = qScopeGuard([this] { releaseSourceWhenIdle(); });  // when it did not start
  const QStringList kept = session_->startRecording();
  update();
  if (!kept.isEmpty()) emit recordingNotice(kept.join(u'\n'));
}

void ezVidCap::StopRecording() {
  session_->stopRecording();
  releaseSourceWhenIdle();
  update();
}

void ezVidCap::reportFinishedRecording(const RecordingSummary& summary) {
  update();
  const QString message = QString::fromStdString(summary.message);
  if (summary.end == RecordingSummary::End::Failed) emit recordingFailed(message);
  if (summary.end == RecordingSummary::End::SavedWithNote) emit recordingNotice(message);
  if (!summary.path.isEmpty()) emit recordingSaved(summary);
}

bool ezVidCap::isRecording() const { return session_->isRecording(); }

bool ezVidCap::isFinishingRecording() const { return session_->isFinishingRecording(); }

QString ezVidCap::statusText() const { return QString::fromStdString(session_->status()); }

QSize ezVidCap::sizeHint() const { return {160, 120}; }

void ezVidCap::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const NumberedFrame latest = liveView_ ? session_->latestFrame() : NumberedFrame{};
  const bool showsFrame = !latest.frame.empty();
  if (showsFrame) {
    // The frame is never written to once published, so it can be shown in
    // place; everything drawn over it goes to the screen only.
    const QImage image(latest.frame.data, latest.frame.cols, latest.frame.rows, int(latest.frame.step),
                       QImage::Format_BGR888);
    painter.drawImage(rect(), image);
    const bool newFrame = latest.number != lastShownFrame_;
    paintFaceGuide(painter, image, newFrame);
    if (newFrame) {
      lastShownFrame_ = latest.number;
      ++framesShown_;
    }
  } else {
    painter.fillRect(rect(), kNeutralArea);
    painter.setPen(kAreaEdge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  paintStatus(painter, showsFrame);
  if (session_->isRecording()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRecordingMark);
    painter.drawEllipse(QRect(width() - 14, 4, 10, 10));
  }
}

// At the preview's own scale, along the first column and row outside the part (on the picture's edge
// where the part reaches it); found again every few frames, so that finding costs the preview little.
void ezVidCap::paintFaceGuide(QPainter& painter, const QImage& frame, bool newFrame) {
  if (!faceGuide_ || frame.isNull()) return;
  if (newFrame && framesShown_ % kFaceGuideInterval == 0) guidedPart_ = faceGuide_(frame);
  if (guidedPart_.isEmpty()) return;
  const QRect guide(guidedPart_.x() * width() / frame.width(), guidedPart_.y() * height() / frame.height(),
                    guidedPart_.width() * width() / frame.width(), guidedPart_.height() * height() / frame.height());
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kGuideEdge, 3));
  painter.drawRect(guide);
  painter.setPen(QPen(kGuideLine, 1));
  painter.drawRect(guide);
}

// Over a live picture the text sits at the top on a dark band, clear of the
// test picture's own text at the bottom and of the guide's lower edge.
void ezVidCap::paintStatus(QPainter& painter, bool showsFrame) {
  QString text;
  if (!showsFrame) text = liveView_ ? "Starting camera" : "Preview off";
  if (!showsFrame || session_->usingTestPicture()) {
    const QString status = statusText();
    if (!status.isEmpty()) text += (text.isEmpty() ? "" : "\n") + status;
  }
  if (session_->isFinishingRecording())
    text += (text.isEmpty() ? "" : "\n") + QStringLiteral("Finishing the recording…");
  if (text.isEmpty()) return;
  const QRect area = rect().adjusted(4, 4, -4, -4);
  const int flags = Qt::AlignHCenter | (showsFrame ? Qt::AlignTop : Qt::AlignVCenter) | Qt::TextWordWrap;
  if (showsFrame)
    painter.fillRect(QRect(0, 0, width(), painter.fontMetrics().boundingRect(area, flags, text).bottom() + 3),
                     kStatusBand);
  painter.setPen(kStatusText);
  painter.drawText(area, flags, text);
}

bool ezVidCap::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isRecording()) return false;
  auto* target = qobject_cast<QWidget*>(watched);
  if (target == nullptr || target->window() != window()) return false;
  if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
  StopRecording();
  return true;
}

// One repaint waits in the queue at most, however fast frames come.
void ezVidCap::scheduleRepaint() {
  if (repaintPending_.exchange(true)) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        repaintPending_ = false;
        if (liveView_) update();
      },
      Qt::QueuedConnection);
}

// The file is finished as soon as the failure is known, so it plays at
// once; when a click on "STOP AVI" or "Record " got there first, nothing is
// left to do.
void ezVidCap::finishFailedRecordingLater() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        update();
        if (session_->hasStoppedRecording()) StopRecording();
      },
      Qt::QueuedConnection);
}

// Restarted by every use, so the camera closes a while after the last one.
void ezVidCap::releaseSourceWhenIdle() {
  if (session_->started() && !session_->needsSource()) releaseTimer_.start();
}

}  // namespace tavro

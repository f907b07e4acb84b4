#include "platform/capture/ez_vid_cap.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>

#include "platform/capture/capture_session.h"
#include "platform/errors.h"

namespace tavro {

namespace {

const QColor kNeutralArea(30, 30, 30);
const QColor kAreaEdge(90, 90, 90);
const QColor kStatusText(220, 220, 220);
const QColor kRecordingMark(220, 0, 0);

}  // namespace

ezVidCap::ezVidCap(QWidget* parent) : ezVidCap(nullptr, parent) {}

ezVidCap::ezVidCap(std::unique_ptr<FrameSource> source, QWidget* parent)
    : QWidget(parent),
      session_(std::make_unique<CaptureSession>(
          std::move(source), [this] { scheduleRepaint(); },
          [this](const std::string&) { finishFailedRecordingLater(); })) {
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Key presses reach whichever control has the focus; the filter sees them
  // first, so Esc works wherever the focus is in this window.
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->installEventFilter(this);
}

ezVidCap::ezVidCap(const CameraSetting& camera, QWidget* parent) : ezVidCap(nullptr, parent) {
  session_->useCamera(camera);
}

// The session goes first: it finishes a running recording and stops the
// threads that call back into this widget.
ezVidCap::~ezVidCap() { session_.reset(); }

void ezVidCap::setLiveView(bool on) {
  liveView_ = on;
  if (on) session_->start();
  update();
}

void ezVidCap::WriteFrameFile(const QString& path) { session_->writeFrameFile(path); }

void ezVidCap::setRecordFileName(const QString& path) { session_->setRecordFileName(path); }

void ezVidCap::StartRecording() {
  session_->startRecording();
  update();
}

void ezVidCap::StopRecording() {
  update();
  session_->stopRecording();
}

bool ezVidCap::isRecording() const { return session_->isRecording(); }

QString ezVidCap::statusText() const { return QString::fromStdString(session_->status()); }

QSize ezVidCap::sizeHint() const { return {160, 120}; }

void ezVidCap::finishRecording() {
  try {
    StopRecording();
  } catch (const Error& error) {
    emit recordingFailed(QString::fromUtf8(error.what()));
  }
}

void ezVidCap::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const NumberedFrame latest = liveView_ ? session_->latestFrame() : NumberedFrame{};
  const bool showsFrame = !latest.frame.empty();
  if (showsFrame) {
    // The frame is never written to once published, so it can be shown in place.
    const QImage image(latest.frame.data, latest.frame.cols, latest.frame.rows, int(latest.frame.step),
                       QImage::Format_BGR888);
    painter.drawImage(rect(), image);
    if (latest.number != lastShownFrame_) {
      lastShownFrame_ = latest.number;
      ++framesShown_;
    }
  } else {
    painter.fillRect(rect(), kNeutralArea);
    painter.setPen(kAreaEdge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }

  QString text;
  if (!showsFrame) text = liveView_ ? "Starting camera" : "Preview off";
  if (!showsFrame || session_->usingTestPicture()) {
    const QString status = statusText();
    if (!status.isEmpty()) text += (text.isEmpty() ? "" : "\n") + status;
  }
  if (!text.isEmpty()) {
    painter.setPen(kStatusText);
    const QRect area = rect().adjusted(4, 4, -4, -4);
    painter.drawText(area, Qt::AlignHCenter | (showsFrame ? Qt::AlignBottom : Qt::AlignVCenter) | Qt::TextWordWrap,
                     text);
  }
  if (session_->isRecording()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRecordingMark);
    painter.drawEllipse(QRect(width() - 14, 4, 10, 10));
  }
}

bool ezVidCap::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isRecording()) return false;
  auto* target = qobject_cast<QWidget*>(watched);
  if (target == nullptr || target->window() != window()) return false;
  if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) return false;
  finishRecording();
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

// The file is finished on this thread as soon as the failure is known, so it
// plays at once; when a click on "STOP AVI" or "Record " got there first, it
// was reported there and nothing is left to do.
void ezVidCap::finishFailedRecordingLater() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        update();
        if (session_->hasStoppedRecording()) finishRecording();
      },
      Qt::QueuedConnection);
}

}  // namespace tavro

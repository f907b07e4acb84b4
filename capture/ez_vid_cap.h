#pragma once
// The capture control: a widget that shows the live camera picture, writes
// snapshots and records video. The window uses these members; every failure
// is reported as a thrown tavro::Error with a clear message, or for a
// recording through a signal. Esc pressed anywhere in the control's window
// ends a running recording. The camera is opened on first need and closed
// about a second after neither the preview nor a recording needs it any more.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include <QString>
#include <QTimer>
#include <QWidget>

#include "capture/capture_session.h"
#include "capture/source_choice.h"

class QPainter;

namespace tavro {

class ezVidCap : public QWidget {
  Q_OBJECT

 public:
  // The source that TAVRO_CAMERA names, else the automatic choice.
  explicit ezVidCap(QWidget* parent = nullptr);
  explicit ezVidCap(const CameraSetting& camera, QWidget* parent = nullptr);
  // makeSource is asked each time the control opens a source (a source for
  // tests); the test picture still stands in when it fails.
  explicit ezVidCap(std::function<SourceChoice()> makeSource, QWidget* parent = nullptr, CaptureOptions options = {});
  ~ezVidCap() override;

  // LiveView (set only): true shows the live picture, false stops showing it.
  void setLiveView(bool on);
  // Writes the current frame under exactly this path (PNG for .png, JPEG
  // for .jpg/.jpeg names, BMP otherwise); when it returns the file exists
  // and loads. After the camera opens it waits for its picture to settle.
  void WriteFrameFile(const QString& path);
  // The same for a face file: writes nothing and returns false when the test
  // picture stands in for a missing or lost camera, unless it was asked for.
  bool WriteCameraFrameFile(const QString& path);
  // RecordFileName (set only): the file the next recording is written to,
  // ".avi" added unless the name ends so.
  void setRecordFileName(const QString& path);
  // The file the next recording goes to, ".avi" added as above.
  QString recordingFile() const;
  // Starts recording in the background and returns at once. Unfinished
  // recordings a killed program left in that folder are kept under visible
  // names and told through recordingNotice.
  void StartRecording();
  // Outlines the part of each camera picture that findPart gives (an empty
  // rectangle: none) over the live preview: the part a face box reads from a
  // snapshot. The pictures themselves never carry it. findPart is asked for
  // every kFaceGuideInterval-th frame shown.
  static constexpr std::uint64_t kFaceGuideInterval = 3;
  void setFaceGuide(std::function<QRect(const QImage& frame)> findPart);

  // The control's state, for tests and status displays.
  bool liveView() const { return liveView_; }
  bool isRecording() const;
  bool isFinishingRecording() const;
  // What the control's area says about the source ("" before it is opened).
  QString statusText() const;
  // Distinct frames painted so far.
  std::uint64_t framesShown() const { return framesShown_; }

  QSize sizeHint() const override;

 public slots:
  // Ends the running recording and returns; its file is finished in the
  // background ("Finishing the recording…" shows meanwhile) and the
  // outcome told through the signals below.
  void StopRecording();

 signals:
  // A recording failed or stopped early (camera lost, disk full), saying
  // what was kept where. One that stops by itself is finished at once and
  // reported once, here.
  void recordingFailed(const QString& message);
  // Something the user should hear: a recording saved with frames left
  // out, unfinished recordings of an earlier run kept.
  void recordingNotice(const QString& message);
  // A recording's file is finished: where it is, how many frames, how long
  // it plays and a line saying so (also after recordingFailed when part
  // of it was kept).
  void recordingSaved(const tavro::RecordingSummary& summary);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void scheduleRepaint();  // from the grabbing thread
  void finishFailedRecordingLater();  // from a worker thread
  void reportFinishedRecording(const RecordingSummary& summary);  // on the UI thread
  void releaseSourceWhenIdle();
  void paintFaceGuide(QPainter& painter, const QImage& frame, bool newFrame);
  void paintStatus(QPainter& painter, bool showsFrame);

  std::unique_ptr<CaptureSession> session_;
  QTimer releaseTimer_;
  std::function<QRect(const QImage& frame)> faceGuide_;
  QRect guidedPart_;  // in the frame, as last found
  bool liveView_ = false;
  std::atomic<bool> repaintPending_{false};
  std::uint64_t lastShownFrame_ = 0;
  std::uint64_t framesShown_ = 0;
};

}  // namespace tavro

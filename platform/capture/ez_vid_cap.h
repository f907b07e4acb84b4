#pragma once
// The capture control: a widget that shows the live camera picture, writes
// snapshots and records video. The window uses exactly these five members;
// every failure is reported as a thrown tavro::Error with a clear message.
// Esc pressed anywhere in the control's window ends a running recording.

#include <atomic>
#include <cstdint>
#include <memory>

#include <QString>
#include <QWidget>

namespace tavro {

class CaptureSession;
struct CameraSetting;
class FrameSource;

class ezVidCap : public QWidget {
  Q_OBJECT

 public:
  explicit ezVidCap(QWidget* parent = nullptr);
  // Tries this source first instead of the automatic choice (a chosen
  // device, a source for tests); it still falls back to the test picture.
  explicit ezVidCap(std::unique_ptr<FrameSource> source, QWidget* parent = nullptr);
  // Takes the camera this setting names (a command-line choice) instead of
  // the one TAVRO_CAMERA names.
  explicit ezVidCap(const CameraSetting& camera, QWidget* parent = nullptr);
  ~ezVidCap() override;

  // LiveView (set only): true shows the live picture, false stops showing it.
  void setLiveView(bool on);
  // Writes the current frame under exactly this path (JPEG for .jpg/.jpeg
  // names, BMP otherwise); when it returns the file exists and loads.
  void WriteFrameFile(const QString& path);
  // RecordFileName (set only): the file the next recording is written to.
  void setRecordFileName(const QString& path);
  // Starts recording in the background and returns at once.
  void StartRecording();
  // Ends the running recording and finalises its file.
  void StopRecording();

  // The control's state, for tests and status displays.
  bool liveView() const { return liveView_; }
  bool isRecording() const;
  // What the control's area says about the source ("" before it is opened).
  QString statusText() const;
  // Distinct frames painted so far.
  std::uint64_t framesShown() const { return framesShown_; }

  QSize sizeHint() const override;

 public slots:
  // Ends a running recording like StopRecording, but reports a failure
  // through recordingFailed instead of throwing: safe for a key shortcut.
  void finishRecording();

 signals:
  // A recording failed. One that stops by itself (camera lost, disk full) is
  // finished at once, keeping the frames before, and reported once, here;
  // so is a failure found by finishRecording.
  void recordingFailed(const QString& message);

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void scheduleRepaint();  // from the grabbing thread
  void finishFailedRecordingLater();  // from a worker thread

  std::unique_ptr<CaptureSession> session_;
  bool liveView_ = false;
  std::atomic<bool> repaintPending_{false};
  std::uint64_t lastShownFrame_ = 0;
  std::uint64_t framesShown_ = 0;
};

}  // namespace tavro

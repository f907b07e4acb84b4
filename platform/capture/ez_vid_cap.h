#pragma once
// The capture control: a widget that shows the live camera picture, writes
// snapshots and records video. The window uses exactly these five members;
// every failure is reported as a thrown tavro::Error with a clear message.

#include <QString>
#include <QWidget>

namespace tavro {

class ezVidCap : public QWidget {
  Q_OBJECT

 public:
  explicit ezVidCap(QWidget* parent = nullptr);
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
};

}  // namespace tavro

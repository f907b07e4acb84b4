#pragma once
// The window's status line: one plain-text line saying what the last
// command did. The command classes feed it; the window only shows it.
// Every message box's text is repeated there too (ReportedMessageBox), so a
// refused or failed command leaves its reason on the line.

#include <QDir>
#include <QString>
#include <cstdint>
#include <functional>

#include "app/capture_control.h"
#include "app/face_picture_loader.h"
#include "app/recognition_session.h"
#include "app/training_run.h"
#include "widgets/message_box.h"

namespace tavro {

class StatusReport {
 public:
  // home: shown as "~" at the start of the face folder's name.
  explicit StatusReport(QString home = QDir::homePath());

  // Called with each new text.
  void setListener(std::function<void(const QString&)> listener) { listener_ = std::move(listener); }
  const QString& text() const { return text_; }

  // Any text; line breaks become spaces.
  void say(const QString& text);

  // The window has opened on this face folder.
  void started(const QString& faceFolder);
  void trained(const TrainingRun& run);
  // "Check IMAGE" or "TEST"; typedProbe is the probe as the user gave it.
  void identified(const QString& command, const QString& typedProbe, const Identification& found);
  void loadedIntoInputImage(const QString& typedProbe, const QString& path, const PictureLoad& load);
  void previewSwitched(bool on);
  void snapshotWritten(const QString& path);
  void faceSnapshotWritten(const QString& command, const QString& faceFile, std::int16_t letterIndex);
  void recordingStarted(const QString& path, bool alreadyRunning);
  // command: "STOP AVI" or "Esc"; path: the file being recorded. The
  // recording is finished in the background, and the control tells how.
  void recordingStopping(const QString& command, const QString& path, bool wasRunning);

 private:
  QString shortened(const QString& folder) const;

  QString home_;
  QString text_;
  std::function<void(const QString&)> listener_;
};

// A message box whose every text also goes to the status line, first, so
// the line already says it while the box is open.
class ReportedMessageBox : public MessageBox {
 public:
  ReportedMessageBox(MessageBox& box, StatusReport& status) : box_(box), status_(status) {}
  void show(const QString& text) override {
    status_.say(text);
    box_.show(text);
  }

 private:
  MessageBox& box_;
  StatusReport& status_;
};

}  // namespace tavro

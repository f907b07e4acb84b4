#pragma once
// The click handlers of "Train Database", "Check IMAGE", "TEST" and "Load
// image to Recognizer". Every failure ends in a message naming the command
// and the error; the window stays usable and the stored faces are kept.
// What each did is told on the status line.

#include <QString>
#include <exception>

#include "app/recognition_session.h"
#include "app/recognition_view.h"
#include "app/status_report.h"
#include "widgets/message_box.h"

namespace tavro {

class RecognitionCommands {
 public:
  RecognitionCommands(RecognitionSession& session, RecognitionView& view, MessageBox& messages,
                      StatusReport& status);

  // "Train Database" / "retrain". "Check IMAGE" is enabled again after every
  // run, completed or not. The face files that could not be read are told
  // in one message for the run.
  void trainDatabase();
  // "Check IMAGE" on the path typed into TXT_file.
  void checkImage(const QString& typedText);
  // "TEST": face0a or face1a as the probe.
  void testRandomFace();
  // "Load image to Recognizer": the typed path into pic0.
  void loadImageToRecognizer(const QString& typedText);

 private:
  void identify(const QString& command, const QString& typedProbe, const QString& probePath);
  bool refuseWithoutFaces(const QString& command);
  void report(const QString& command, const std::exception& error);

  RecognitionSession& session_;
  RecognitionView& view_;
  MessageBox& messages_;
  StatusReport& status_;
};

}  // namespace tavro

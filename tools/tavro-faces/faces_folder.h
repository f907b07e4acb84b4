#pragma once
// The folder of the face files as the window's loader can reach it. Qt
// cannot name a folder whose name holds raw bytes (see
// platform/files/native_names.h), so such a folder is opened by its bytes
// and reached through its descriptor under /proc/self/fd; paths and messages
// are turned back into the folder's own name before anyone sees them.

#include <QString>

#include "platform/picture/message_box.h"

namespace tavro::faces_tool {

class FacesFolder {
 public:
  explicit FacesFolder(QString folder);
  ~FacesFolder();
  FacesFolder(const FacesFolder&) = delete;
  FacesFolder& operator=(const FacesFolder&) = delete;

  // The path to hand to the loader.
  const QString& reachablePath() const { return reachable_; }
  // A path or message with the reachable path turned back into the folder's
  // name; asGiven keeps raw bytes, forDisplay shows them as U+FFFD.
  QString asGiven(const QString& text) const;
  QString forDisplay(const QString& text) const;

  // The system's reason when the folder's entries cannot be listed; empty
  // when they can.
  QString unreadableReason() const;

 private:
  QString given_;
  QString reachable_;
  int fd_ = -1;
};

// Shows the messages of the loader with the folder's own name in them.
class FolderMessages : public MessageBox {
 public:
  FolderMessages(const FacesFolder& folder, MessageBox& messages) : folder_(folder), messages_(messages) {}
  void show(const QString& text) override { messages_.show(folder_.forDisplay(text)); }

 private:
  const FacesFolder& folder_;
  MessageBox& messages_;
};

}  // namespace tavro::faces_tool

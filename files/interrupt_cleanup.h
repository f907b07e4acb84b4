#pragma once
// Temporary files that an interrupted program removes on its way out. A
// program that writes through FileSet calls removeTemporariesOnInterrupt()
// once at start: on SIGINT, SIGTERM or SIGHUP it then unlinks every
// temporary file still registered and ends with status 128 + the signal
// (130, 143, 129). While a FileSet puts its files in place, a signal waits
// until the set is complete, so a set is never left half renamed.
//
// The handler only reads a fixed table and calls unlinkat and _exit, all
// async-signal-safe.

#include <QByteArray>

namespace tavro {

void removeTemporariesOnInterrupt();

// One temporary name inside the folder open as folderFd, registered for
// the life of the object; the name must stay shorter than kMaxName.
// When the table is full the name is simply not covered.
class InterruptibleTemporary {
 public:
  static constexpr int kMaxName = 40;
  InterruptibleTemporary(int folderFd, const QByteArray& name);
  ~InterruptibleTemporary();
  InterruptibleTemporary(InterruptibleTemporary&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }
  InterruptibleTemporary& operator=(InterruptibleTemporary&&) = delete;

 private:
  int slot_ = -1;
};

// Holds back the interrupt for its life; a signal that came meanwhile is
// acted on when the last such object goes.
class InterruptsDeferred {
 public:
  InterruptsDeferred();
  ~InterruptsDeferred();
  InterruptsDeferred(const InterruptsDeferred&) = delete;
  InterruptsDeferred& operator=(const InterruptsDeferred&) = delete;
};

}  // namespace tavro

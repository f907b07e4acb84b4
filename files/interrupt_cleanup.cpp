#include "files/interrupt_cleanup.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tavro {

namespace {

enum SlotState : int { kFree, kFilling, kReady };

struct Slot {
  std::atomic<int> state{kFree};
  int folderFd = -1;
  char name[InterruptibleTemporary::kMaxName] = {};
};

// A FileSet holds two names per file at most (the temporary and the old
// entry kept aside); far more than the tools write at once.
Slot table[64];
std::atomic<int> deferring{0};
std::atomic<int> pendingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);

[[noreturn]] void removeAllAndExit(int signal) {
  for (Slot& slot : table)
    if (slot.state.load() == kReady) ::unlinkat(slot.folderFd, slot.name, 0);
  ::_exit(128 + signal);
}

extern "C" void onInterrupt(int signal) {
  if (deferring.load() > 0) {
    pendingSignal.store(signal);
    return;
  }
  removeAllAndExit(signal);
}

}  // namespace

void removeTemporariesOnInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

InterruptibleTemporary::InterruptibleTemporary(int folderFd, const QByteArray& name) {
  if (name.size() >= kMaxName) return;
  for (int i = 0; i < int(std::size(table)); ++i) {
    int expected = kFree;
    if (!table[i].state.compare_exchange_strong(expected, kFilling)) continue;
    table[i].folderFd = folderFd;
    std::memcpy(table[i].name, name.constData(), std::size_t(name.size()) + 1);
    table[i].state.store(kReady);
    slot_ = i;
    return;
  }
}

InterruptibleTemporary::~InterruptibleTemporary() {
  if (slot_ >= 0) table[slot_].state.store(kFree);
}

InterruptsDeferred::InterruptsDeferred() { deferring.fetch_add(1); }

InterruptsDeferred::~InterruptsDeferred() {
  if (deferring.fetch_sub(1) == 1 && pendingSignal.load() != 0) removeAllAndExit(pendingSignal.load());
}

}  // namespace tavro

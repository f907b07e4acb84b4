#include "app/process_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace tavro {

namespace {

// A signal handler may do next to nothing: it writes a byte, and the event
// loop reads it and quits (the self-pipe).
int wakeUp[2] = {-1, -1};

extern "C" void onEndingSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakeUp[1], &byte, 1);
  errno = saved;
}

}  // namespace

void handleProcessSignals() {
  std::signal(SIGXFSZ, SIG_IGN);
  if (wakeUp[0] >= 0 || ::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char bytes[16];
    while (::read(wakeUp[0], bytes, sizeof bytes) > 0) {
    }
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = onEndingSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int ending : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(ending, &action, nullptr);
}

}  // namespace tavro

#include "platform/QuitOnSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <atomic>

namespace velmio {
namespace {

// A signal handler may only do async-signal-safe things: once the event loop
// runs it writes one byte to a pipe, and the loop, watching the pipe's other
// end, does the rest; before that it ends the process.
int g_signalPipe[2] = {-1, -1};
std::atomic<bool> g_eventLoopRunning{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnSignal(int signal) {
  if (!g_eventLoopRunning.load()) _exit(128 + signal);
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

void InstallHandlers() {
  if (g_signalPipe[0] >= 0) return;
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace

void ExitOnSignalsDuringStartUp() {
  g_eventLoopRunning.store(false);
  InstallHandlers();
}

void QuitApplicationOnSignals() {
  static bool connected = false;
  if (connected || QCoreApplication::instance() == nullptr) return;
  InstallHandlers();
  if (g_signalPipe[0] < 0) return;
  connected = true;
  auto* notifier =
      new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char bytes[16];
    while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    QCoreApplication::quit();
  });
  // A zero timer fires once the event loop has started.
  QTimer::singleShot(0, QCoreApplication::instance(), [] { g_eventLoopRunning.store(true); });
}

}  // namespace velmio

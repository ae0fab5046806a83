#include "platform/QuitOnSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace velmio {
namespace {

// A signal handler may only do async-signal-safe things: it writes one byte to
// a pipe, and the event loop, watching the pipe's other end, does the rest.
int g_signalPipe[2] = {-1, -1};

void WriteWakeByte(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

}  // namespace

void QuitApplicationOnSignals() {
  if (g_signalPipe[0] >= 0 || QCoreApplication::instance() == nullptr) return;
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char bytes[16];
    while (read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = WriteWakeByte;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace velmio

// A session that logs out (SIGTERM) or Ctrl+C (SIGINT) ends the event loop the
// ordinary way, so that everything the program writes at exit gets written.
#include <signal.h>

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/QuitOnSignal.h"

namespace velmio {
namespace {

TEST(QuitOnSignal, SignalsEndTheEventLoopNormally) {
  int argc = 1;
  char name[] = "quit_on_signal";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  QuitApplicationOnSignals();
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    bool timedOut = false;
    QTimer::singleShot(10, [signal] { raise(signal); });
    QTimer failSafe;
    failSafe.setSingleShot(true);
    QObject::connect(&failSafe, &QTimer::timeout, [&] {
      timedOut = true;
      QCoreApplication::quit();
    });
    failSafe.start(10000);
    EXPECT_EQ(app.exec(), 0);  // still running here means the signal did not kill the process
    EXPECT_FALSE(timedOut);
  }
}

}  // namespace
}  // namespace velmio

// A session that logs out (SIGTERM) or Ctrl+C (SIGINT) ends the event loop the
// ordinary way, so that everything the program writes at exit gets written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include "platform/QuitOnSignal.h"
#include "support/TempDir.h"

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

// A start-up step blocked in the file system (here: opening a pipe nobody
// writes to, as a settings file that is a FIFO would) still ends on a signal.
TEST(QuitOnSignal, SignalsEndABlockedStartUp) {
  test::TempDir dir;
  const std::string fifo = dir / "velmio.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ExitOnSignalsDuringStartUp();
      const char byte = 1;
      [[maybe_unused]] const ssize_t sent = write(ready[1], &byte, 1);
      open(fifo.c_str(), O_RDONLY);  // blocks until a writer comes, which none does
      _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    close(ready[1]);
    usleep(20000);  // let it reach the open (a signal before it ends the child as well)
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
  }
}

}  // namespace
}  // namespace velmio

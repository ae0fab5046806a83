#include "platform/PosixProcessRunner.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace velmio {
namespace {

// How often a wait looks for a stop request; the decoder's own run takes
// seconds, so this costs nothing noticeable.
constexpr auto kPollInterval = std::chrono::milliseconds(10);

}  // namespace

PosixProcessRunner::~PosixProcessRunner() {
  Stop();
  Wait();
}

bool PosixProcessRunner::Start(const std::string& program,
                               const std::vector<std::string>& arguments) {
  if (m_child.load() != 0) return false;
  std::vector<std::string> words;
  words.push_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  m_stop.store(false);
  m_child.store(pid);
  return true;
}

// The child is only ever reaped here, by the waiting thread, so a stop never
// signals a process id that has been given to another process meanwhile.
bool PosixProcessRunner::Wait() {
  const pid_t pid = m_child.load();
  if (pid == 0) return true;
  bool stopped = false;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) break;
    if (m_stop.load() && !stopped) {
      kill(pid, SIGKILL);
      stopped = true;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  m_child.store(0);
  return !stopped;
}

void PosixProcessRunner::Stop() {
  m_stop.store(true);
}

}  // namespace velmio

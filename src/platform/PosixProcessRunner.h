#pragma once
// Starting the external decoder on Linux and other POSIX systems: posix_spawn
// with the arguments as they are (no shell), waitpid to wait, SIGKILL to stop.
#include <sys/types.h>

#include <atomic>

#include "audio/ProcessRunner.h"

namespace velmio {

class PosixProcessRunner : public ProcessRunner {
 public:
  // Stops and reaps a program still running, so that none outlives the window.
  ~PosixProcessRunner() override;

  bool Start(const std::string& program, const std::vector<std::string>& arguments) override;
  bool Wait() override;
  void Stop() override;

 private:
  std::atomic<pid_t> m_child{0};
  std::atomic<bool> m_stop{false};
};

}  // namespace velmio

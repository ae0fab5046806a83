#pragma once
// The port through which the program starts another program (the external
// decoder) and waits for it. The desktop adapter spawns a process without a
// shell; tests use a scripted one.
#include <string>
#include <vector>

namespace velmio {

class ProcessRunner {
 public:
  virtual ~ProcessRunner() = default;

  // Starts `program` with `arguments` as its arguments, each passed as it
  // is (no shell, no quoting). False when nothing could be started. One
  // program at a time; the thread that starts it.
  virtual bool Start(const std::string& program, const std::vector<std::string>& arguments) = 0;
  // Waits until the started program has ended; returns at once when none
  // runs. False when it was ended by Stop. Any one thread.
  virtual bool Wait() = 0;
  // Ends the started program (it is killed) so that a Wait in progress
  // returns soon. Any thread, also while another one waits.
  virtual void Stop() = 0;
};

}  // namespace velmio

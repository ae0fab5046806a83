#pragma once
// Caps the size of files this process may write, so that a write fails part
// way as on a full disk. Restores the limit and the signal it raises.
#include <sys/resource.h>

#include <csignal>

namespace velmio::test {

class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);  // fail the write instead of ending the process
    rlimit capped = m_old;
    capped.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &capped);
  }
  ~FileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_oldHandler);
  }
  FileSizeCap(const FileSizeCap&) = delete;
  FileSizeCap& operator=(const FileSizeCap&) = delete;

 private:
  rlimit m_old{};
  void (*m_oldHandler)(int) = nullptr;
};

}  // namespace velmio::test

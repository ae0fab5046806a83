#include "app/cli/ViewSession.h"

#include <chrono>
#include <thread>

namespace velmio::cli {

// No settings file and no temporary file: a batch run leaves the user's
// settings alone and starts from the program's defaults.
ViewSession::ViewSession(ClientSize client)
    : m_host(client),
      m_view(std::make_unique<CTestView>(m_host, ProgramPaths{}, nullptr, m_waveOut)) {}

bool ViewSession::OpenAndWait(const std::string& path) {
  m_view->m_pendingPath = path;
  if (!m_view->OpenAndAnalyse()) return false;
  // The window's 100 ms progress timer, without the window.
  for (;;) {
    m_view->OnTimer(kTimerProgress);
    if (m_view->AnalysisState() == kAnalysisTakenOver) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

}  // namespace velmio::cli

#include "app/cli/ViewSession.h"

#include <QEventLoop>
#include <filesystem>

namespace velmio::cli {

// No settings file and no temporary file: a batch run leaves the user's
// settings alone and starts from the program's defaults.
ViewSession::ViewSession(ClientSize client)
    : m_host(client),
      m_view(std::make_unique<CTestView>(m_host, ProgramPaths{}, nullptr, m_waveOut)) {}

bool ViewSession::OpenAndWait(const std::string& path) {
  // Absolute, as a file dialog or a drop gives it: a saved analysis names
  // its source so that it reopens from anywhere.
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  if (!m_view->Open(absolute.empty() ? path : absolute.string(), OpenMode::kRecording))
    return false;
  // The view's progress timer runs on the event loop, as in the window,
  // until it has taken the result over.
  QEventLoop loop;
  m_host.SetTimerHandler([this, &loop](int id) {
    m_view->OnTimer(id);
    if (m_view->CurrentAnalysis().State() == AnalysisState::kTakenOver) loop.quit();
  });
  loop.exec();
  m_host.SetTimerHandler({});
  return true;
}

}  // namespace velmio::cli

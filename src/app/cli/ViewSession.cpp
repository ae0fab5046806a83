#include "app/cli/ViewSession.h"

#include <stdlib.h>

#include <QEventLoop>
#include <filesystem>

namespace velmio::cli {

namespace {

// A fresh folder of its own under the system's temporary folder, or empty.
std::string MakeScratchDir() {
  std::error_code ec;
  std::string pattern = (std::filesystem::temp_directory_path(ec) / "velmio-cli-XXXXXX").string();
  if (ec || mkdtemp(pattern.data()) == nullptr) return {};
  return pattern + "/";
}

ProgramPaths BatchPaths(const std::string& scratchDir) {
  ProgramPaths paths;
  if (!scratchDir.empty()) paths.tempWavPath = scratchDir + "temp.wav";
  return paths;
}

}  // namespace

// No settings file: a batch run leaves the user's settings alone and starts
// from the program's defaults. Decoded input goes to a private folder, so
// that runs side by side never share a temporary WAV.
ViewSession::ViewSession(ClientSize client)
    : m_scratchDir(MakeScratchDir()),
      m_host(client),
      m_view(std::make_unique<CTestView>(m_host, BatchPaths(m_scratchDir), nullptr, m_waveOut)) {}

ViewSession::~ViewSession() {
  m_view.reset();  // deletes the temporary WAV
  std::error_code ignored;
  if (!m_scratchDir.empty()) std::filesystem::remove_all(m_scratchDir, ignored);
}

bool ViewSession::OpenWithOptions(const std::string& path,
                                  const std::optional<PitchRangeOption>& pitch) {
  if (!pitch) return OpenAndWait(path);
  m_view->SetPitchRange(pitch->lowNote, pitch->highNote);
  return OpenAndWait(path, OpenMode::kSingleVoice);
}

bool ViewSession::OpenAndWait(const std::string& path, OpenMode mode) {
  // Absolute, as a file dialog or a drop gives it: a saved analysis names
  // its source so that it reopens from anywhere.
  std::error_code ignored;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
  if (!m_view->Open(absolute.empty() ? path : absolute.string(), mode))
    return false;
  // The view's progress timer runs on the event loop, as in the window,
  // until it has taken the result over.
  QEventLoop loop;
  m_host.SetTimerHandler([this, &loop](int id) {
    m_view->OnTimer(id);
    // Taken over, or refused after it ran out of memory.
    if (!m_view->CurrentAnalysis().IsBusy()) loop.quit();
  });
  loop.exec();
  m_host.SetTimerHandler({});
  return m_view->CurrentAnalysis().State() == AnalysisState::kTakenOver;
}

}  // namespace velmio::cli

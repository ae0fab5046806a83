// The audio a recording or a saved analysis is read from: a WAV file as it
// is, anything else decoded into the temporary WAV first, by the configured
// external decoder or by the built-in FFmpeg decoding.
#include "audio/FfmpegDecoding.h"
#include "audio/PathNames.h"
#include "view/TestView.h"

namespace velmio {

// The path to read, or empty when decoding failed (after its message).
std::string CTestView::ResolveSourcePath(const std::string& filePath) {
  if (HasExtension(filePath, ".wav")) return filePath;
  if (m_settings.HasDecoder()) {
    if (!m_seams.runDecoder) return filePath;
    return m_seams.runDecoder(filePath, m_paths.tempWavPath) ? m_paths.tempWavPath : std::string();
  }
  return DecodeBuiltIn(filePath) ? m_paths.tempWavPath : std::string();
}

bool CTestView::DecodeBuiltIn(const std::string& source) {
  const std::string& target = m_paths.tempWavPath;
  if (target.empty()) {
    ReportMessage("Cannot decode " + source + ": no folder for the temporary WAV file");
    return false;
  }
  std::string failure;
  const bool decoded = RunInBackground([&](const std::atomic<bool>& cancel) {
    const bool ok = DecodeToWav(
        source, target, [&](const std::string& message) { failure = message; }, &cancel);
    if (cancel.load()) failure.clear();
    return ok;
  });
  // Messages wait for the UI thread; a decoding the user cancelled needs none.
  if (!decoded && !failure.empty()) ReportMessage(failure);
  return decoded;
}

// Runs `work` off the UI thread while the window shows the notice, with the
// data commands closed. False when the work failed or the window was closed.
bool CTestView::RunInBackground(const std::function<bool(const std::atomic<bool>&)>& work) {
  std::atomic<bool> cancel{false};
  bool ok = false;
  m_recording.SetReading(true);
  m_host.CommandStatesChanged();
  const bool finished =
      m_host.RunWhileShowingNotice([&] { ok = work(cancel); }, [&] { cancel.store(true); });
  m_recording.SetReading(false);
  m_host.CommandStatesChanged();
  return finished && ok && !cancel.load();
}

}  // namespace velmio

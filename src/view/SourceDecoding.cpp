// The audio a recording or a saved analysis is read from: a WAV file as it
// is, anything else decoded into the temporary WAV first, by the configured
// external decoder or by the built-in FFmpeg decoding.
#include "audio/DecoderBridge.h"
#include "audio/FfmpegDecoding.h"
#include "audio/PathNames.h"
#include "view/TestView.h"

namespace velmio {

void CTestView::UseProcessRunner(ProcessRunner* runner) {
  m_processRunner = runner;
}

// The path to read, or empty when decoding failed (after its message).
std::string CTestView::ResolveSourcePath(const std::string& filePath) {
  if (HasExtension(filePath, ".wav")) return filePath;
  if (m_settings.HasDecoder()) {
    if (m_seams.runDecoder)
      return m_seams.runDecoder(filePath, m_paths.tempWavPath) ? m_paths.tempWavPath
                                                               : std::string();
    if (m_processRunner == nullptr) return filePath;
    return RunExternalDecoder(filePath) ? m_paths.tempWavPath : std::string();
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
  std::atomic<bool> cancel{false};
  const bool decoded = RunInBackground(
      [&] {
        return DecodeToWav(
            source, target, [&](const std::string& message) { failure = message; }, &cancel);
      },
      [&] { cancel.store(true); });
  if (cancel.load()) failure.clear();
  // Messages wait for the UI thread; a decoding the user cancelled needs none.
  if (!decoded && !failure.empty()) ReportMessage(failure);
  return decoded;
}

// The configured decoder turns the file into the temporary WAV; the wait for
// it runs off the UI thread, and closing the window ends the decoder.
bool CTestView::RunExternalDecoder(const std::string& source) {
  DecoderPrompts prompts;
  prompts.report = [this](const std::string& text) { ReportMessage(text); };
  prompts.askYes = [this](const std::string& question) {
    return m_host.ShowMessage(question, MessageButtons::kYesNo) == MessageAnswer::kYes;
  };
  ProcessRunner& runner = *m_processRunner;
  return RunDecoder(m_settings.m_decoderPath, m_paths.exeDir, source, m_paths.tempWavPath, runner,
                    prompts, [&](const std::function<void()>& wait) {
                      return RunInBackground(
                          [&] {
                            wait();
                            return true;
                          },
                          [&] { runner.Stop(); });
                    });
}

// Runs `work` off the UI thread while the window shows the notice, with the
// data commands closed. False when the work failed or the window was closed
// (then `cancel` has asked the work to end, and it has).
bool CTestView::RunInBackground(const std::function<bool()>& work,
                                const std::function<void()>& cancel) {
  bool ok = false;
  m_recording.SetReading(true);
  m_host.CommandStatesChanged();
  const bool finished = m_host.RunWhileShowingNotice([&] { ok = work(); }, cancel);
  m_recording.SetReading(false);
  m_host.CommandStatesChanged();
  return finished && ok;
}

}  // namespace velmio

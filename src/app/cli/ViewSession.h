#pragma once
// One recording opened and analysed by the view, as the window would, for the
// command-line verbs.
#include <memory>
#include <optional>
#include <string>

#include "app/cli/CliHost.h"
#include "app/cli/CliOptions.h"
#include "audio/VirtualWaveOutDevice.h"
#include "view/TestView.h"

namespace velmio::cli {

class ViewSession {
 public:
  explicit ViewSession(ClientSize client = {800, 600});
  ~ViewSession();

  CliHost& Host() { return m_host; }
  CTestView& View() { return *m_view; }
  // The output the view's playback plays into, with the bytes it "heard".
  VirtualWaveOutDevice& WaveOut() { return m_waveOut; }

  // Runs the open flow on `path` and drives the progress timer until the result
  // is taken over. False when the file was refused (the reason is on stderr).
  bool OpenAndWait(const std::string& path, OpenMode mode = OpenMode::kRecording);
  // As OpenAndWait, in single-voice mode when `pitch` is set.
  bool OpenWithOptions(const std::string& path, const std::optional<PitchRangeOption>& pitch);

 private:
  // A private folder for the temporary WAV of decoded input, removed at the end.
  std::string m_scratchDir;
  CliHost m_host;
  // Batch runs play nothing aloud; the view's playback has an output that never sounds.
  VirtualWaveOutDevice m_waveOut;
  std::unique_ptr<CTestView> m_view;
};

}  // namespace velmio::cli

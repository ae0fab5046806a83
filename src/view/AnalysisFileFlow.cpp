// Saving the analysis to a .vlx file and opening one again: the saved
// result is installed as it was, over the source audio read again, without
// analysing.
#include <algorithm>
#include <filesystem>

#include "view/TestView.h"

namespace velmio {
namespace {

constexpr char kSaveFilter[] = "velmio ファイル (*.vlx)|*.vlx||";
constexpr char kOpenFilter[] = "velmio ファイル (*.vlx)|*.vlx|すべてのファイル (*.*)|*.*||";
constexpr char kReadingStatus[] = "ファイルを読み込んでいます。";
// The settings slot that carries the voice-conversion window's state of a
// saved analysis (slots 0 ... 4 are the user's presets).
constexpr int kSavedWindowSlot = 5;

Spectrogram SpectrogramOf(LoadedAnalysis& saved) {
  Spectrogram result;
  result.m_frameCount = saved.frameCount;
  result.m_rowCount = saved.RowCount();
  result.m_levelDb = std::move(saved.levelDb);
  result.m_frameEnergy = std::move(saved.frameEnergy);
  return result;
}

}  // namespace

bool CTestView::SaveAnalysisFile() {
  if (IsDataBusy() || !m_analysis.HasResult() || m_analysis.Result().m_frameCount <= 0)
    return false;
  const std::optional<std::string> path = m_host.AskSavePath(kSaveFilter, "vlx");
  if (!path) return false;
  // An open voice-conversion window keeps the state it saves in its slot 5;
  // without one, the state the analysis was opened with is kept.
  if (m_voiceDialog.IsOpen()) m_voiceDialog.SnapshotState();
  const bool written = WriteAnalysisFile(
      *path, AnalysisSnapshot(), [this](const std::string& text) { ReportMessage(text); });
  if (written && m_voiceDialog.IsOpen()) m_voiceDialog.SetSaved(true);
  return written;
}

bool CTestView::OnOpenAnalysisFile() {
  if (IsDataBusy()) return false;
  const std::optional<std::string> path = m_host.AskOpenPath(kOpenFilter, "vlx");
  return path && OpenAnalysisFile(*path);
}

bool CTestView::OpenAnalysisFile(const std::string& path) {
  if (IsDataBusy()) return false;
  LoadedAnalysis saved;
  const ReportFn report = [this](const std::string& text) { ReportMessage(text); };
  // Read whole and checked first: a file that is refused changes nothing.
  if (ReadAnalysisFile(path, saved, report) != AnalysisFileReadStatus::kRead) return false;
  m_host.SetStatusText(kStatusPaneMessage, kReadingStatus);
  const std::string filePath = saved.filePath;
  InstallSavedSettings(saved);
  m_host.ShowNotice("File reading.");
  m_host.Invalidate();
  // From here on the grey picture stays until the audio is back.
  const std::string source = ResolveSourcePath(filePath);
  if (source.empty()) return false;
  if (!LoadRecording(filePath, source)) {
    m_host.SetStatusText(kStatusPaneMessage, "");
    return false;
  }
  // Loading a recording forgets the previous result, so the saved one goes in after.
  m_analysis.Install(m_settings.Analysis(), SpectrogramOf(saved));
  PrepareSavedAudio(saved.vocalCutApplied);
  ShowSavedResult();
  RestoreVoiceWindow();
  return true;
}

// A saved single-voice analysis with its periods comes back with the
// voice-conversion window showing the state saved with it; nothing is lost
// by closing it until the setting changes.
void CTestView::RestoreVoiceWindow() {
  if (!m_singleVoice.PitchEnabled() || m_singleVoice.MarkCount() <= 0) return;
  if (!m_voiceDialog.IsOpen()) OpenVoiceDialog();
  m_voiceDialog.Show(m_settings.m_vcPresets[kVoiceFileSlot]);
  m_voiceDialog.SnapshotState();
  m_voiceDialog.MarkFileOpened();
  m_voiceDialog.SetHasAnalysis(true);
  m_voiceDialog.SetSaved(true);
  m_host.CommandStatesChanged();
}

// The file's values replace the current ones: the display range and levels,
// the tempo and the single-voice state.
void CTestView::InstallSavedSettings(LoadedAnalysis& saved) {
  m_playback.ForgetRecording();
  m_settings.m_lowNote = saved.lowNote;
  m_settings.m_highNote = saved.highNote;
  m_settings.m_levelTopDb = saved.levelTopDb;
  m_settings.m_levelRangeDb = saved.levelRangeDb;
  m_settings.m_vocalLowestNote = saved.vocalLowestNote;
  m_settings.m_vcPresets[kSavedWindowSlot] = saved.windowState;
  m_tempo = saved.tempo;
  m_singleVoice.RestoreSaved(saved);
  m_recording.Close();
}

// The vocal mode the analysis was made with, the mono mix and the buffers of
// the voice conversion when it has marks to work on, and the bank for the rate.
void CTestView::PrepareSavedAudio(int32_t vocalMode) {
  ApplyVocalCut(vocalMode);
  if (m_singleVoice.MarkCount() > 0 && m_recording.Channels() == 2) m_recording.MixToMono();
  if (m_singleVoice.PitchEnabled() && m_singleVoice.MarkCount() > 0) {
    PrepareConversion();
    const PcmView pcm = m_recording.Pcm();
    m_analysis.InstallMonoSignal(pcm.samples,
                                 pcm.dataSize / std::max<int>(pcm.format.nBlockAlign, 1));
    TakeOverVoice();
  }
  SetEqualizerRate(m_recording.SampleRate());
  // A later re-analysis of this recording needs a bank for its rate and range.
  m_analysis.PrepareKernels(m_settings.Analysis(), m_recording.SampleRate());
}

void CTestView::ShowSavedResult() {
  m_renderer.Cache().ClearKey();
  m_display.SetBarDisplay(false);
  m_display.MarkScrollSizesDirty();
  m_analysis.ShowInstalled();
  OnInitialUpdate();
  m_playback.TakeOver(m_recording.Channels(), m_recording.SampleRate());
  UpdatePositionText(0);
  UpdateLevelLabels();
  m_host.SetStatusText(kStatusPaneMessage, "");
  const bool loopWasOn = m_playback.LoopEnabled();
  m_playback.ResetLoop(m_recording.WholeFrames());
  if (loopWasOn) ShowLoopLabel();
  m_host.ScrollTo({0, 0});
  m_host.Invalidate();
  m_host.CommandStatesChanged();
}

}  // namespace velmio

// The voice-conversion dialog's flows: opening and closing it, its settings
// and presets, opening and re-analysing a voice, the ratio watcher that
// renders while playing, playback of the converted voice and saving it.
#include <algorithm>

#include "audio/ConvertedWave.h"
#include "view/TestView.h"

namespace velmio {
namespace {

constexpr int kWatcherMs = 20;
constexpr char kWaveFilter[] = "音声ファイル(*.wav)|*.wav||";
constexpr char kCloseQuestion[] =
    "このウィンドウを閉じると現在のデータは失われます。よろしいですか？\r\n"
    "（.vlxファイルで保存しておくと便利です。）";
constexpr char kCloseCaption[] = "ヴェルミオ ～ピッチ検出とピッチ変換～";

}  // namespace

bool CTestView::OpenVoiceDialog() {
  if (m_voiceDialog.IsOpen()) return false;
  m_voiceDialog.Open(m_settings.m_vcPresets);
  m_requestedRatios.reset();
  m_host.StartTimer(kTimerConversion, kWatcherMs);
  m_host.CommandStatesChanged();
  return true;
}

bool CTestView::CloseVoiceDialog() {
  if (!m_voiceDialog.IsOpen()) return true;
  if (m_voiceDialog.ClosingLosesData() &&
      m_host.AskQuestion(kCloseQuestion, kCloseCaption) != MessageAnswer::kYes) {
    return false;
  }
  m_playback.Stop();
  m_settings.m_vcPresets = m_voiceDialog.Presets();
  // The watcher stops before the dialog goes; a rendering still running
  // finishes into a buffer nobody plays.
  m_host.StopTimer(kTimerConversion);
  m_voiceDialog.Close();
  m_host.CommandStatesChanged();
  return true;
}

const VoiceDialogState& CTestView::VoiceDialog() const {
  return m_voiceDialog;
}

const ConversionSession& CTestView::Conversion() const {
  return m_conversion;
}

void CTestView::ShowVoiceSetting(const VoiceSetting& setting) {
  m_voiceDialog.Show(setting);
}

void CTestView::ApplyOrStoreVoicePreset(int slot, bool ctrlDown) {
  m_voiceDialog.ApplyOrStorePreset(slot, ctrlDown);
  // A stored preset reaches the settings file however the program ends.
  if (ctrlDown && slot >= 0 && slot < kVoiceFileSlot) m_settings.m_vcPresets = m_voiceDialog.Presets();
}

void CTestView::ApplyFixedVoiceSetting(FixedVoiceSetting which) {
  m_voiceDialog.Show(FixedSetting(which));
}

bool CTestView::OpenSingleVoice() {
  if (!m_voiceDialog.IsOpen() || IsDataBusy()) return false;
  const VoiceSetting& range = m_voiceDialog.Current();
  const int32_t lowNote = m_singleVoice.PitchLowNote();
  const int32_t highNote = m_singleVoice.PitchHighNote();
  const bool pitchWasOn = m_singleVoice.PitchEnabled();
  const bool curveWasOn = m_singleVoice.ShowsPitch();
  m_singleVoice.SetPitchRange(range.lowestNote, range.highestNote);
  if (AskAndOpen(OpenMode::kSingleVoice)) {
    m_voiceDialog.MarkFileOpened();
    m_voiceDialog.SetHasAnalysis(false);
    m_voiceDialog.SetSaved(false);
    m_host.CommandStatesChanged();
    return true;
  }
  // Nothing opened: the mode and the range stay as they were.
  m_singleVoice.SetPitchRange(lowNote, highNote);
  m_singleVoice.SetMode(pitchWasOn);
  if (pitchWasOn != curveWasOn) m_singleVoice.TogglePitchCurve();
  return false;
}

bool CTestView::RerunVoiceAnalysis() {
  if (!m_voiceDialog.IsOpen()) return false;
  m_playback.Stop();
  const VoiceSetting& range = m_voiceDialog.Current();
  SetPitchRange(range.lowestNote, range.highestNote);
  if (!RerunAnalysis()) return false;
  m_voiceDialog.SetHasAnalysis(false);
  m_host.CommandStatesChanged();
  return true;
}

void CTestView::PrepareConversion() {
  const PcmView pcm = m_recording.Pcm();
  const std::size_t samples =
      std::min(pcm.sampleCount, static_cast<std::size_t>(std::max(pcm.dataSize, 0) / 2));
  m_conversion.Prepare(std::span<const int16_t>(pcm.samples, samples));
  m_requestedRatios.reset();
}

// A finished single-voice analysis: the renderings read its mono signal and marks.
void CTestView::TakeOverVoice() {
  if (!m_singleVoice.PitchEnabled() || !m_conversion.IsPrepared()) return;
  const Spectrogram& result = m_analysis.Result();
  m_conversion.SetVoice(
      std::span<const float>(result.m_monoSignal.data(),
                             static_cast<std::size_t>(result.m_paddedLength)),
      m_singleVoice.PitchMarks());
  m_requestedRatios.reset();
  if (m_voiceDialog.IsOpen()) {
    m_voiceDialog.SetHasAnalysis(true);
    m_voiceDialog.SetSaved(false);
  }
}

// The converted voice plays while the dialog is open in single-voice mode.
std::span<const int16_t> CTestView::ConvertedVoiceForPlayback() const {
  if (!m_voiceDialog.IsOpen() || !m_singleVoice.PitchEnabled() || !m_conversion.IsPrepared())
    return {};
  return m_conversion.ConvertedSamples();
}

// PLAY renders the current setting first and waits for it.
void CTestView::RenderConvertedVoice() {
  const ConversionRatios ratios = m_voiceDialog.Ratios();
  m_conversion.StartConversion(ratios);
  m_requestedRatios = ratios;
  if (m_conversion.WaitAndTake() && !ConvertedVoiceForPlayback().empty())
    m_playback.RefreshQueuedBuffers(m_conversion.ConvertedSamples());
}

// Timer 4, while the dialog is open. A finished rendering replaces the one
// playing, and the blocks already queued are refreshed, so a slider move is
// heard within a block or two. While playing, a setting other than the last
// one requested is requested; the request carries the ratios it renders, so
// a move made while an earlier rendering runs gets a rendering of its own.
void CTestView::OnConversionWatch() {
  if (m_conversion.TakeFinished() && !ConvertedVoiceForPlayback().empty())
    m_playback.RefreshQueuedBuffers(m_conversion.ConvertedSamples());
  if (!m_voiceDialog.HasAnalysis() || !m_playback.IsPlayingOrPaused()) return;
  const ConversionRatios ratios = m_voiceDialog.Ratios();
  if (m_requestedRatios == ratios) return;
  m_conversion.StartConversion(ratios);
  m_requestedRatios = ratios;
}

bool CTestView::SaveConvertedWave() {
  if (!m_conversion.IsPrepared()) return false;
  const std::optional<std::string> path = m_host.AskSavePath(kWaveFilter, "wav");
  if (!path) return false;
  const ConversionRatios ratios = m_voiceDialog.Ratios();
  const PcmView pcm = m_recording.Pcm();
  std::span<const int16_t> samples(pcm.samples, m_conversion.ConvertedSamples().size());
  if (!ratios.IsIdentity()) {
    // What is saved is the setting shown, even when it was never played.
    if (m_conversion.ShownRatios() != ratios) RenderConvertedVoice();
    samples = m_conversion.ConvertedSamples();
  }
  return velmio::SaveConvertedWave(*path, samples, m_recording.SampleRate(),
                                   [this](const std::string& text) { ReportMessage(text); });
}

}  // namespace velmio

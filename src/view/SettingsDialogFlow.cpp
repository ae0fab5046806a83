// The settings dialog's flow below the window: the values it starts from,
// the checks of its number fields and the decoder, and what OK applies.
#include <cctype>
#include <charconv>

#include "audio/DecoderBridge.h"
#include "view/SettingsDialogValues.h"
#include "view/TestView.h"

namespace velmio {

std::optional<int32_t> ReadDialogInteger(const std::string& text, int32_t low, int32_t high) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  if (begin < end && text[begin] == '+') ++begin;
  int64_t value = 0;
  const auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end, value);
  if (begin == end || ec != std::errc() || ptr != text.data() + end) return std::nullopt;
  if (value < low || value > high) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string DialogIntegerMessage(int32_t low, int32_t high) {
  return "Enter an integer.\r\n(" + std::to_string(low) + " - " + std::to_string(high) + ")";
}

SettingsDialogValues CTestView::SettingsForDialog() const {
  SettingsDialogValues v;
  const AnalysisSettings& s = m_settings;
  v.m_binsPerSemitone = s.m_binsPerSemitone;
  v.m_lowNote = s.m_lowNote;
  v.m_highNote = s.m_highNote;
  v.m_a4Frequency = s.m_a4Frequency;
  v.m_midiInstrument = s.m_midiProgram + 1;
  v.m_windowMode = s.m_windowMode;
  v.m_harmonicsCount = s.m_harmonicsCount;
  v.m_colorMap = s.m_colorMap;
  v.m_decoderPath = s.m_decoderPath;
  v.m_exeDir = m_paths.exeDir;
  v.m_vocalCutMode = s.m_vocalCutMode;
  v.m_vocalLowestNote = s.m_vocalLowestNote;
  v.m_formantEnabled = s.m_formantEnabled;
  v.m_formantSensitivity = s.m_formantSensitivity;
  return v;
}

bool CTestView::CheckDecoder(const std::string& decoderPath) {
  DecoderPrompts prompts;
  prompts.report = [this](const std::string& text) { ReportMessage(text); };
  prompts.askYes = [this](const std::string& question) {
    return m_host.ShowMessage(question, MessageButtons::kYesNo) == MessageAnswer::kYes;
  };
  return CheckDecoderIni(decoderPath, m_paths.exeDir, prompts);
}

void CTestView::ApplySettingsDialog(const SettingsDialogValues& v) {
  if (IsDataBusy()) return;
  AnalysisSettings& s = m_settings;
  const bool analysisChanged =
      v.m_lowNote != s.m_lowNote || v.m_highNote != s.m_highNote ||
      v.m_a4Frequency != s.m_a4Frequency || v.m_binsPerSemitone != s.m_binsPerSemitone ||
      v.m_windowMode != s.m_windowMode || v.m_vocalCutMode != s.m_vocalCutMode ||
      v.m_vocalLowestNote != s.m_vocalLowestNote || v.m_formantEnabled != s.m_formantEnabled ||
      v.m_formantSensitivity != s.m_formantSensitivity;
  if (analysisChanged) {
    if (m_analysis.Result().m_frameCount > 0)
      ReportMessage("表示条件が変更されたので再度*.wavファイルを読み直して下さい。");
    s.m_lowNote = v.m_lowNote;
    s.m_highNote = v.m_highNote;
    s.m_a4Frequency = v.m_a4Frequency;
    s.m_binsPerSemitone = v.m_binsPerSemitone;
    s.m_windowMode = v.m_windowMode;
    s.m_vocalCutMode = v.m_vocalCutMode;
    s.m_vocalLowestNote = v.m_vocalLowestNote;
    s.m_formantEnabled = v.m_formantEnabled;
    s.m_formantSensitivity = v.m_formantSensitivity;
    // Nothing to show or play until a file is read again with the new values.
    m_analysis.Discard();
    m_playback.ForgetRecording();
    m_analysis.PrepareKernels(s.Analysis(), m_recording.SampleRate());
    ForceRender();
    m_host.Invalidate();
    m_host.CommandStatesChanged();
  }
  SetMidiInstrument(v.m_midiInstrument);
  s.m_harmonicsCount = v.m_harmonicsCount;
  if (v.m_colorMap != s.m_colorMap) {
    SetColorMap(v.m_colorMap);
    m_host.Invalidate();
  }
  s.m_decoderPath = v.m_decoderPath;
}

}  // namespace velmio

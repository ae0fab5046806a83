// The analysis conditions report: what was analysed, how, and with which
// tempo and pitch settings.
#include <array>
#include <cstdio>

#include "view/TestView.h"

namespace velmio {
namespace {

constexpr std::array<const char*, 12> kNoteNames = {"C ", "C#", "D ", "D#", "E ", "F ",
                                                    "F#", "G ", "G#", "A ", "A#", "B "};

template <typename... Args>
std::string Format(const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

const char* NoteName(int note) {
  return kNoteNames[static_cast<std::size_t>((note % 12 + 12) % 12)];
}

const char* VocalCutName(int mode) {
  return mode == 0 ? "OFF " : mode == 1 ? "CUT  " : "抽出";
}

std::string RecordingPart(const RecordingSession& recording) {
  const WaveFormat& format = recording.Format();
  // A failed open leaves the path but no format: report zero length, not a fault.
  const int32_t totalMs = recording.DurationMs();
  return Format("Wavファイル\n %s\n %d Hz,  %d bit,  %d ch,  %d byte\n 再生時間 %d分%2d秒%1d\n\n",
                recording.FilePath().c_str(), static_cast<int>(format.nSamplesPerSec),
                static_cast<int>(recording.SourceBits()), static_cast<int>(format.nChannels),
                static_cast<int>(recording.DataSize()), totalMs / 1000 / 60, totalMs / 1000 % 60,
                totalMs / 100 % 10);
}

std::string AnalysisPart(const AnalysisSettings& s) {
  return Format(
      "周波数解析\n 最低音 C%d,  最高音 C%d,  A4 %d Hz\n 精度：半音の1/%d\n ボーカルカット：%s\n\n",
      s.m_lowNote / 12, s.m_highNote / 12, s.m_a4Frequency, s.m_binsPerSemitone,
      VocalCutName(s.m_vocalCutMode));
}

std::string TempoPart(const TempoGrid& t) {
  if (!t.IsSet()) return "テンポ,拍子,開始時刻：未設定\n\n";
  return Format("テンポ %d   拍子 %d / %d   開始時刻 %d ms\n\n", t.tempo, t.beatsPerBar, t.beatUnit,
                t.startMs);
}

std::string PitchPart(const SingleVoiceState& p) {
  std::string text = "ピッチ検出条件\n";
  if (!p.PitchEnabled()) return text + " なし\n";
  text += Format(" 最低音 %s%d,  最高音 %s%d\n", NoteName(p.PitchLowNote()), p.PitchLowNote() / 12,
                 NoteName(p.PitchHighNote()), p.PitchHighNote() / 12);
  text += Format(" Missing fundamental検出　%s\n", p.MissingFundamental() == 0 ? "なし" : "あり");
  return text;
}

}  // namespace

std::string CTestView::AnalysisConditionsText() const {
  if (m_recording.FilePath().empty()) return {};
  // Built as a string of any length: a long path must not overrun a fixed buffer.
  return RecordingPart(m_recording) + AnalysisPart(m_settings) + TempoPart(m_tempo) +
         PitchPart(m_singleVoice);
}

}  // namespace velmio

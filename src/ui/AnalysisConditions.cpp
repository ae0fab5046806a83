#include "ui/AnalysisConditions.h"

#include <array>
#include <cstdio>

#include "view/TestView.h"

namespace velmio::ui {
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

std::string RecordingPart(const CTestView& view) {
  const WaveFormat& format = view.m_waveData.m_wave.format;
  const int64_t dataSize = view.m_waveData.m_wave.dataSize;
  // A failed open leaves the path but no format: report zero length, not a fault.
  const int64_t totalMs = format.nAvgBytesPerSec > 0 ? dataSize * 1000 / format.nAvgBytesPerSec : 0;
  return Format("Wavファイル\n %s\n %d Hz,  %d bit,  %d ch,  %d byte\n 再生時間 %d分%2d秒%1d\n\n",
                view.m_filePath.c_str(), static_cast<int>(format.nSamplesPerSec),
                static_cast<int>(view.m_waveData.m_sourceBits), static_cast<int>(format.nChannels),
                static_cast<int>(dataSize), static_cast<int>(totalMs / 1000 / 60),
                static_cast<int>(totalMs / 1000 % 60), static_cast<int>(totalMs / 100 % 10));
}

std::string AnalysisPart(const CTestView& view) {
  const AnalysisSettings& s = view.m_settings;
  return Format(
      "周波数解析\n 最低音 C%d,  最高音 C%d,  A4 %d Hz\n 精度：半音の1/%d\n ボーカルカット：%s\n\n",
      s.m_lowNote / 12, s.m_highNote / 12, s.m_a4Frequency, s.m_binsPerSemitone,
      VocalCutName(s.m_vocalCutMode));
}

std::string TempoPart(const CTestView& view) {
  const TempoSettings& t = view.m_tempo;
  if (t.tempo == 0) return "テンポ,拍子,開始時刻：未設定\n\n";
  return Format("テンポ %d   拍子 %d / %d   開始時刻 %d ms\n\n", t.tempo, t.beatsPerBar, t.beatUnit,
                t.startMs);
}

std::string PitchPart(const CTestView& view) {
  const PitchState& p = view.m_pitch;
  std::string text = "ピッチ検出条件\n";
  if (!p.m_pitchEnabled) return text + " なし\n";
  text += Format(" 最低音 %s%d,  最高音 %s%d\n", NoteName(p.m_pitchLowNote), p.m_pitchLowNote / 12,
                 NoteName(p.m_pitchHighNote), p.m_pitchHighNote / 12);
  text += Format(" Missing fundamental検出　%s\n", p.m_missingFundamental == 0 ? "なし" : "あり");
  return text;
}

}  // namespace

std::string AnalysisConditionsText(const CTestView& view) {
  if (view.m_filePath.empty()) return {};
  // Built as a string of any length: a long path must not overrun a fixed buffer.
  return RecordingPart(view) + AnalysisPart(view) + TempoPart(view) + PitchPart(view);
}

}  // namespace velmio::ui

#pragma once
// The persistent group of settings: what the analysis uses, the display
// levels, and the presets and options of the tools. Defaults are the values
// the program starts with before its settings file is read.
#include <array>
#include <cstdint>
#include <string>

namespace velmio {

constexpr int kEqBandCount = 11;
constexpr int kEqPresetCount = 4;
constexpr int kVcPresetCount = 6;  // slots 0..4 persist; slot 5 holds an analysis file's state

struct VcPreset {
  int32_t lowestNote = 31;
  int32_t highestNote = 64;
  int32_t pitchPosition = 0;
  int32_t formantPosition = 0;
};

struct AnalysisSettings {
  int32_t m_lowNote = 12;    // semitones above C0, inclusive (C0..C4)
  int32_t m_highNote = 120;  // exclusive (C6..C10)
  int32_t m_a4Frequency = 440;
  int32_t m_binsPerSemitone = 4;  // 1, 2, 4 or 8
  int32_t m_windowMode = 1;       // 0 Hamming (constant Q), 1 trapezoid
  int32_t m_levelTopDb = 24;
  int32_t m_levelRangeDb = 20;
  int32_t m_midiProgram = 0;
  int32_t m_showHarmonics = 0;
  int32_t m_harmonicsCount = 6;
  int32_t m_colorMap = 0;
  std::array<std::array<int32_t, kEqBandCount>, kEqPresetCount> m_eqPresetGain{};
  std::array<float, kEqPresetCount> m_eqPresetQ{1.0f, 1.0f, 1.0f, 1.0f};
  std::array<VcPreset, kVcPresetCount> m_vcPresets{};
  std::string m_decoderPath = "none";
  int32_t m_vocalCutMode = 0;
  int32_t m_vocalLowestNote = 19;
  int32_t m_formantEnabled = 0;
  int32_t m_formantSensitivity = 0;
};

}  // namespace velmio

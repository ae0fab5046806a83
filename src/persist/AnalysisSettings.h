#pragma once
// The settings record: everything the settings file keeps, from what the
// analysis uses to the display levels and the presets and options of the
// tools. Defaults are the values the program starts with before its settings
// file is read. The analysis takes its part through Analysis().
#include <array>
#include <cstdint>
#include <string>

#include "engine/AnalysisParams.h"

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

// The decoder path that means "no external decoder configured".
inline constexpr char kNoDecoderPath[] = "none";

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
  std::string m_decoderPath = kNoDecoderPath;
  int32_t m_vocalCutMode = 0;
  int32_t m_vocalLowestNote = 19;
  int32_t m_formantEnabled = 0;
  int32_t m_formantSensitivity = 0;

  // What the analysis of a recording depends on.
  AnalysisParams Analysis() const {
    return AnalysisParams{m_lowNote,        m_highNote,
                          m_a4Frequency,    m_binsPerSemitone,
                          m_windowMode,     m_formantEnabled != 0,
                          m_formantSensitivity};
  }
  // True when an external decoder converts files that are not WAV.
  bool HasDecoder() const { return m_decoderPath != kNoDecoderPath; }
};

}  // namespace velmio

#pragma once
// Shared by the settings file tests: a readable dump of every setting, so a
// mismatch names the member, and one settings value with every member away
// from its default, together with the exact file text that stands for it.
#include <sstream>
#include <string>
#include <vector>

#include "persist/AnalysisSettings.h"

namespace velmio::test {

inline std::string Describe(const AnalysisSettings& s) {
  std::ostringstream out;
  out << "notes " << s.m_lowNote << ".." << s.m_highNote << ", A4 " << s.m_a4Frequency << ", bins "
      << s.m_binsPerSemitone << ", window " << s.m_windowMode << "\nlevels " << s.m_levelTopDb
      << "/" << s.m_levelRangeDb << ", midi " << s.m_midiProgram << ", harmonics "
      << s.m_showHarmonics << "x" << s.m_harmonicsCount << ", colour " << s.m_colorMap << "\n";
  for (int p = 0; p < kEqPresetCount; ++p) {
    out << "eq" << p << ":";
    for (int32_t g : s.m_eqPresetGain[p]) out << " " << g;
    out << " q " << s.m_eqPresetQ[p] << "\n";
  }
  for (const VcPreset& vc : s.m_vcPresets)
    out << "vc " << vc.lowestNote << " " << vc.highestNote << " " << vc.pitchPosition << " "
        << vc.formantPosition << "\n";
  out << "decoder [" << s.m_decoderPath << "]\nvocal " << s.m_vocalCutMode << " "
      << s.m_vocalLowestNote << " formant " << s.m_formantEnabled << " " << s.m_formantSensitivity
      << "\n";
  return out.str();
}

// Every member valid and different from its default.
inline AnalysisSettings CustomSettings() {
  AnalysisSettings s;
  s.m_lowNote = 24;
  s.m_highNote = 96;
  s.m_a4Frequency = 442;
  s.m_levelTopDb = -6;
  s.m_levelRangeDb = 16;
  s.m_midiProgram = 40;
  s.m_binsPerSemitone = 8;
  s.m_windowMode = 0;
  s.m_showHarmonics = 1;
  s.m_harmonicsCount = 4;
  s.m_eqPresetGain[0] = {-24, 12, -3, 4, 5, 6, 7, 8, 9, 10, 11};
  s.m_eqPresetGain[1] = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, -12};
  s.m_eqPresetGain[2] = {0, 0, 0, 0, 0, 9, 0, 0, 0, 0, 0};
  s.m_eqPresetGain[3] = {-10, -11, -12, -13, -14, -15, -16, -17, -18, -19, -20};
  s.m_eqPresetQ = {1.5f, 0.25f, 12.125f, 123.5f};
  s.m_colorMap = 1;
  s.m_vcPresets[0] = {40, 70, -48, 24};
  s.m_vcPresets[1] = {0, 96, 48, -24};
  s.m_vcPresets[2] = {31, 52, 24, 12};
  s.m_vcPresets[3] = {43, 64, -24, -12};
  s.m_vcPresets[4] = {10, 20, 1, -1};
  s.m_decoderPath = "/opt/velmio tools/EcoDecoTooL.exe";
  s.m_vocalCutMode = 2;
  s.m_vocalLowestNote = 37;
  s.m_formantEnabled = 1;
  s.m_formantSensitivity = 2;
  return s;
}

// The 23 lines of CustomSettings() as the file holds them, without newlines.
inline std::vector<std::string> CustomLines() {
  return {
      "velmio 0.89",
      "24",
      "96",
      "442",
      "-6",
      "16",
      "40",
      "8",
      "0",
      "1",
      "4",
      "-24 12 -3  4  5  6  7  8  9 10 11  1.500",
      " 1 -1  2 -2  3 -3  4 -4  5 -5 -12  0.250",
      " 0  0  0  0  0  9  0  0  0  0  0 12.125",
      "-10 -11 -12 -13 -14 -15 -16 -17 -18 -19 -20 123.500",
      "1",
      "40 70 -48 24",
      "0 96 48 -24",
      "31 52 24 12",
      "43 64 -24 -12",
      "10 20 1 -1",
      "/opt/velmio tools/EcoDecoTooL.exe",
      "2 37 1 2",
  };
}

inline std::string JoinLines(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

}  // namespace velmio::test

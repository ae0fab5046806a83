#pragma once
// What the settings dialog "設定" edits, under the names of the settings it
// mirrors, and the checks of its two number fields.
#include <cstdint>
#include <optional>
#include <string>

namespace velmio {

struct SettingsDialogValues {
  int32_t m_a4Frequency = 440;
  int32_t m_binsPerSemitone = 4;
  int32_t m_lowNote = 12;
  int32_t m_highNote = 108;
  int32_t m_midiInstrument = 0;  // the MIDI program + 1, as the user counts instruments
  int32_t m_windowMode = 1;
  int32_t m_harmonicsCount = 6;
  int32_t m_colorMap = 0;
  std::string m_decoderPath = "none";
  std::string m_exeDir;  // read only: where the decoder must write
  int32_t m_vocalCutMode = 0;
  int32_t m_vocalLowestNote = 0;
  int32_t m_formantEnabled = 0;
  int32_t m_formantSensitivity = 0;
};

// The A4 and instrument ranges the dialog accepts: an A4 outside them gives
// no usable kernel bank, an instrument outside them no MIDI program.
inline constexpr int32_t kLowestA4 = 220, kHighestA4 = 880;
inline constexpr int32_t kFirstInstrument = 1, kLastInstrument = 128;

// An edit field's text as a decimal integer in [low, high], or nothing.
// Leading and trailing blanks are allowed, nothing else around the digits.
std::optional<int32_t> ReadDialogInteger(const std::string& text, int32_t low, int32_t high);

// The message for a field that holds no integer of its range:
// "Enter an integer." and the range the field accepts.
std::string DialogIntegerMessage(int32_t low, int32_t high);

}  // namespace velmio

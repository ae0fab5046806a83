#include "audio/NoteNames.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace velmio {
namespace {

constexpr std::array<const char*, 12> kPitchClasses = {"C_", "C#", "D_", "D#", "E_", "F_",
                                                       "F#", "G_", "G#", "A_", "A#", "B_"};
// Semitones above C of the letters A ... G.
constexpr std::array<int, 7> kLetterOffsets = {9, 11, 0, 2, 4, 5, 7};

}  // namespace

std::string VoiceNoteName(int32_t note) {
  if (note < 0 || note >= kVoiceNoteCount) return {};
  char text[8];
  std::snprintf(text, sizeof text, "%s%d", kPitchClasses[static_cast<std::size_t>(note % 12)],
                static_cast<int>(note / 12));
  return text;
}

int32_t ParseVoiceNote(const std::string& text) {
  std::size_t at = 0;
  if (text.empty()) return -1;
  const int letter = std::toupper(static_cast<unsigned char>(text[at++]));
  if (letter < 'A' || letter > 'G') return -1;
  int pitchClass = kLetterOffsets[static_cast<std::size_t>(letter - 'A')];
  if (at < text.size() && (text[at] == '#' || text[at] == '_')) {
    if (text[at] == '#') ++pitchClass;
    ++at;
  }
  if (at + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[at]))) return -1;
  // Only the sharps the lists hold: no E# or B#.
  if (pitchClass == 5 && letter == 'E') return -1;
  if (pitchClass == 12) return -1;
  const int32_t note = (text[at] - '0') * 12 + pitchClass;
  return note < kVoiceNoteCount ? note : -1;
}

}  // namespace velmio

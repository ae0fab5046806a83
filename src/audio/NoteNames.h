#pragma once
// The 97 notes C0 ... C8 of the single-voice range lists, by index
// (semitones above C0), as the lists spell them ("C_0", "C#0", ... "C_8").
#include <cstdint>
#include <string>

namespace velmio {

constexpr int32_t kVoiceNoteCount = 97;

// "C_", "C#", ... "B_" followed by the octave digit.
std::string VoiceNoteName(int32_t note);

// A note typed as a list entry ("G_2", "C#3") or plainly ("G2", "c#3"):
// its index 0 ... 96, or -1 when the text is not one of the 97 notes.
int32_t ParseVoiceNote(const std::string& text);

}  // namespace velmio

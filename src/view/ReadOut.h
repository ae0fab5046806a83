#pragma once
// The read-out at the mouse: the note, the cents from it, the frequency, the
// time and the level of the cell under the pointer, as one line of the
// status bar, e.g. "A4 +12¢ 443.1 Hz  0:12.345  −31 dB".
#include <cstdint>
#include <optional>
#include <string>

#include "engine/Spectrogram.h"
#include "view/TimeScale.h"

namespace velmio {

struct ReadOutCell {
  int32_t note = 0;        // the nearest note, semitones above C0
  double cents = 0.0;      // from that note
  double frequency = 0.0;  // of the cell's bin, Hz
  std::optional<int64_t> timeMs;  // none over the keyboard or beyond the frames
  std::optional<float> levelDb;   // the loudest of the column's frames
};

// "A4 +12¢ 443.1 Hz  0:12.345  −31 dB"; note, cents and frequency alone
// while there is no time. Negative numbers carry the minus sign U+2212.
std::string FormatReadOut(const ReadOutCell& cell);

// What the cell under the mouse is read from.
struct ReadOutSource {
  const Spectrogram* spectrogram = nullptr;
  int32_t highNote = 120;
  int32_t lowNote = 12;
  int32_t binsPerSemitone = 4;
  int32_t a4Frequency = 440;
  int32_t sampleRate = 44100;
  int32_t hopSize = 256;
  TimeScale scale;
};

// The cell of display row `row` and content column `column` (negative:
// over the keyboard, no time or level); nothing outside the rows.
std::optional<ReadOutCell> ReadCell(const ReadOutSource& source, int64_t row, int64_t column);

}  // namespace velmio

#include "view/ReadOut.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace velmio {
namespace {

constexpr std::array<const char*, 12> kNoteNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                    "F#", "G",  "G#", "A",  "A#", "B"};
constexpr char kMinus[] = "\u2212";
constexpr int kA4Note = 57;

// "+12" or "−12" (U+2212), rounded.
std::string Signed(double value) {
  const long rounded = std::lround(value);
  char digits[32];
  std::snprintf(digits, sizeof digits, "%ld", std::labs(rounded));
  return (rounded < 0 ? std::string(kMinus) : std::string("+")) + digits;
}

// The bin's pitch in semitones above C0: the sub-bins of a note start
// 0.5 - 2^-N semitone below it, 1/N apart, the highest in the top rows.
double RowPitch(const ReadOutSource& s, int64_t row) {
  const int n = std::clamp(s.binsPerSemitone, 1, 8);
  const int64_t note = s.highNote - 1 - row / 8;
  const int rowsPerBin = 8 / n;
  const int sub = n - 1 - static_cast<int>(row % 8) / rowsPerBin;
  const double offset = 0.5 - std::pow(2.0, -n);
  return static_cast<double>(note) + static_cast<double>(sub) / n - offset;
}

}  // namespace

std::string FormatReadOut(const ReadOutCell& cell) {
  char text[128];
  const int octave = cell.note >= 0 ? cell.note / 12 : (cell.note - 11) / 12;
  const int name = ((cell.note % 12) + 12) % 12;
  std::snprintf(text, sizeof text, "%s%d %s\u00a2 %.1f Hz", kNoteNames[name], octave,
                Signed(cell.cents).c_str(), cell.frequency);
  std::string line = text;
  if (cell.timeMs) {
    const int64_t ms = *cell.timeMs;
    std::snprintf(text, sizeof text, "  %lld:%02lld.%03lld", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    line += text;
  }
  if (cell.levelDb) {
    const long db = std::lround(*cell.levelDb);
    std::snprintf(text, sizeof text, "%ld dB", std::labs(db));
    line += std::string("  ") + (db < 0 ? kMinus : "") + text;
  }
  return line;
}

std::optional<ReadOutCell> ReadCell(const ReadOutSource& source, int64_t row, int64_t column) {
  const int64_t rows = int64_t{kRowsPerSemitone} * (source.highNote - source.lowNote);
  if (row < 0 || row >= rows) return std::nullopt;
  ReadOutCell cell;
  const double pitch = RowPitch(source, row);
  cell.note = static_cast<int32_t>(std::lround(pitch));
  cell.cents = (pitch - cell.note) * 100.0;
  cell.frequency = source.a4Frequency * std::pow(2.0, (pitch - kA4Note) / 12.0);
  const Spectrogram* s = source.spectrogram;
  if (column < 0 || s == nullptr || source.sampleRate <= 0) return cell;
  const int64_t first = source.scale.FrameOfColumn(column);
  if (first >= s->m_frameCount) return cell;
  cell.timeMs = first * source.hopSize * 1000 / source.sampleRate;
  const std::size_t cells = static_cast<std::size_t>(s->m_rowCount) * s->m_frameCount;
  if (row >= s->m_rowCount || s->m_levelDb.size() < cells) return cell;
  const int64_t end = std::min<int64_t>(first + source.scale.FramesPerColumn(), s->m_frameCount);
  float level = s->LevelAt(static_cast<int>(row), static_cast<int>(first));
  for (int64_t t = first + 1; t < end; ++t)
    level = std::max(level, s->LevelAt(static_cast<int>(row), static_cast<int>(t)));
  cell.levelDb = level;
  return cell;
}

}  // namespace velmio

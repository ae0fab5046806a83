#include "persist/SettingsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string_view>

#include "persist/AtomicFileWriter.h"
#include "persist/TextScanner.h"

namespace velmio {
namespace {

constexpr char kFileName[] = "velmio";
constexpr std::size_t kMaxWordChars = 511;
constexpr std::string_view kDecoderName = "EcoDecoTooL.exe";

// ---- What the program accepts for each value. Values outside these sets can
// only come from a damaged or hand-edited file, and several of them would
// break the analysis or the display (a zero dynamic range divides by zero, a
// note range off the octave grid has no kernel bank, a MIDI program above 127
// is not a MIDI data byte), so they fall back instead of being taken.

// The values from `low` to `high` in steps of `step`.
struct Accepts {
  int32_t low, high, step = 1;
  bool operator()(int32_t v) const { return v >= low && v <= high && (v - low) % step == 0; }
};

constexpr Accepts kLowNote{0, 48, 12};     // C0 ... C4
constexpr Accepts kHighNote{72, 120, 12};  // C6 ... C10
// An octave either way of 440 Hz covers every tuning in use; far outside it
// the kernel bank's lengths grow without bound.
constexpr Accepts kA4Frequency{220, 880};
// Far beyond anything the picture can show, near enough to keep sums of the
// two levels clear of overflow.
constexpr Accepts kLevelTop{-1000, 1000};
constexpr Accepts kLevelRange{2, 1000};
constexpr Accepts kMidiProgram{0, 127};
constexpr auto kBinsPerSemitone = [](int32_t v) { return v == 1 || v == 2 || v == 4 || v == 8; };
constexpr Accepts kSwitch{0, 1};
constexpr Accepts kHarmonicsCount{2, 8};
constexpr Accepts kEqGain{-24, 12};  // the equalizer sliders' range
constexpr Accepts kVcNote{0, 96};    // the 97 notes C_0 ... C_8
constexpr Accepts kVcPitch{-48, 48};
constexpr Accepts kVcFormant{-24, 24};
constexpr Accepts kVocalCutMode{0, 2};
constexpr Accepts kVocalLowestNote{0, 37};
constexpr Accepts kFormantSensitivity{0, 2};

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
  if (text.size() < tail.size()) return false;
  text.remove_prefix(text.size() - tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(tail[i])) return false;
  }
  return true;
}

// A line the file can hold and that names the decoder program, not only its name.
bool IsDecoderPath(std::string_view line) {
  return line.size() > kDecoderName.size() && line.size() <= kMaxDecoderPathChars &&
         line.find_first_of(std::string_view("\n\r\0", 3)) == std::string_view::npos &&
         EndsWithIgnoringCase(line, kDecoderName);
}

// ---- Reading

template <typename Rule>
void Take(TextScanner& in, int32_t& member, Rule accepts) {
  int32_t value = 0;
  if (in.Int(value) && accepts(value)) member = value;
}

// Only a Q the file can write back unchanged is taken.
void TakeQ(TextScanner& in, float& member) {
  double value = 0;
  if (!in.Real(value)) return;
  if (const std::optional<float> q = StorableEqQ(value)) member = *q;
}

bool HeaderAccepted(TextScanner& in) {
  std::string word;
  double version = 0;
  // Compared as read, in double precision, so that 0.869 itself is turned away.
  return in.Word(word, kMaxWordChars) && word == kFileName && in.Real(version) &&
         version > kSettingsFileOldestRejected;
}

void ReadDisplayAndAnalysis(TextScanner& in, AnalysisSettings& s) {
  Take(in, s.m_lowNote, kLowNote);
  Take(in, s.m_highNote, kHighNote);
  Take(in, s.m_a4Frequency, kA4Frequency);
  Take(in, s.m_levelTopDb, kLevelTop);
  Take(in, s.m_levelRangeDb, kLevelRange);
  Take(in, s.m_midiProgram, kMidiProgram);
  Take(in, s.m_binsPerSemitone, kBinsPerSemitone);
  Take(in, s.m_windowMode, kSwitch);
  Take(in, s.m_showHarmonics, kSwitch);
  Take(in, s.m_harmonicsCount, kHarmonicsCount);
}

void ReadPresets(TextScanner& in, AnalysisSettings& s) {
  for (int p = 0; p < kEqPresetCount; ++p) {
    for (int32_t& gain : s.m_eqPresetGain[p]) Take(in, gain, kEqGain);
    TakeQ(in, s.m_eqPresetQ[p]);
  }
  Take(in, s.m_colorMap, kSwitch);
  for (int p = 0; p < kVcPresetCount - 1; ++p) {  // the last slot belongs to analysis files
    VcPreset& vc = s.m_vcPresets[p];
    Take(in, vc.lowestNote, kVcNote);
    Take(in, vc.highestNote, kVcNote);
    Take(in, vc.pitchPosition, kVcPitch);
    Take(in, vc.formantPosition, kVcFormant);
  }
}

// The decoder line follows the rest of the last preset's line. It is read as
// a whole line, so a path with spaces in it stays whole.
void ReadDecoderPath(TextScanner& in, AnalysisSettings& s) {
  std::string line;
  bool tooLong = false;
  if (!in.Line(line, 0, tooLong) || !in.Line(line, kMaxDecoderPathChars, tooLong)) return;
  s.m_decoderPath = !tooLong && IsDecoderPath(line) ? line : kNoDecoderPath;
}

void ReadVoiceOptions(TextScanner& in, AnalysisSettings& s) {
  Take(in, s.m_vocalCutMode, kVocalCutMode);
  Take(in, s.m_vocalLowestNote, kVocalLowestNote);
  Take(in, s.m_formantEnabled, kSwitch);
  Take(in, s.m_formantSensitivity, kFormantSensitivity);
}

// ---- Writing

// Appends `value` right-aligned in `width` characters, like "%*d".
void AppendInt(std::string& text, int32_t value, std::size_t width = 0) {
  std::array<char, 16> digits;
  const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  const auto count = static_cast<std::size_t>(end - digits.data());
  if (count < width) text.append(width - count, ' ');
  text.append(digits.data(), end);
}

// The Q in three decimals, like "%.3f", with a point whatever the locale.
std::string QText(double q) {
  std::array<char, 64> digits;  // a float has at most 39 integer digits
  const auto end =
      std::to_chars(digits.data(), digits.data() + digits.size(), q, std::chars_format::fixed, 3)
          .ptr;
  return std::string(digits.data(), end);
}

// Appends the Q like "%6.3f". A Q the file cannot hold (no finite positive
// number, or one that would read back as 0.000) would be refused at the next
// start; the default goes in its place.
void AppendQ(std::string& text, float q) {
  constexpr std::size_t kWidth = 6;
  const std::string digits = QText(StorableEqQ(q).value_or(1.0f));
  if (digits.size() < kWidth) text.append(kWidth - digits.size(), ' ');
  text += digits;
}

void AppendLine(std::string& text, std::initializer_list<int32_t> values) {
  bool first = true;
  for (int32_t v : values) {
    if (!first) text += ' ';
    AppendInt(text, v);
    first = false;
  }
  text += '\n';
}

std::string FormatSettings(const AnalysisSettings& s) {
  std::string text = std::string(kFileName) + ' ' + kSettingsFileVersion + '\n';
  for (int32_t v : {s.m_lowNote, s.m_highNote, s.m_a4Frequency, s.m_levelTopDb, s.m_levelRangeDb,
                    s.m_midiProgram, s.m_binsPerSemitone, s.m_windowMode, s.m_showHarmonics,
                    s.m_harmonicsCount})
    AppendLine(text, {v});
  for (int p = 0; p < kEqPresetCount; ++p) {
    for (int32_t gain : s.m_eqPresetGain[p]) {
      AppendInt(text, gain, 2);
      text += ' ';
    }
    AppendQ(text, s.m_eqPresetQ[p]);
    text += '\n';
  }
  AppendLine(text, {s.m_colorMap});
  for (int p = 0; p < kVcPresetCount - 1; ++p) {
    const VcPreset& vc = s.m_vcPresets[p];
    AppendLine(text, {vc.lowestNote, vc.highestNote, vc.pitchPosition, vc.formantPosition});
  }
  // A path the decoder line cannot hold would split the line and shift every
  // value after it; "none" keeps the file readable.
  const bool fits =
      s.m_decoderPath.find_first_of(std::string_view("\n\r\0", 3)) == std::string::npos;
  text += fits ? s.m_decoderPath : kNoDecoderPath;
  text += '\n';
  AppendLine(text,
             {s.m_vocalCutMode, s.m_vocalLowestNote, s.m_formantEnabled, s.m_formantSensitivity});
  return text;
}

// The file's bytes when it is a regular file of a sensible size. A pipe, a
// device or a link to one is not opened for reading at all (it could block
// the start-up for ever or never end), and a file larger than any settings
// file is treated as damaged.
std::optional<std::string> ReadSmallRegularFile(const std::string& path) {
  // Non-blocking, so that even a pipe that appears between the check and the
  // open cannot hold the start-up.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      info.st_size <= static_cast<off_t>(kMaxSettingsFileBytes)) {
    std::string text(kMaxSettingsFileBytes + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
      const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
      if (filled == text.size()) break;
    }
    // The file may have grown since it was measured; too big is too big.
    if (filled <= kMaxSettingsFileBytes) {
      text.resize(filled);
      bytes = std::move(text);
    }
  }
  ::close(fd);
  return bytes;
}

}  // namespace

std::optional<float> StorableEqQ(double value) {
  if (!(value > 0) || !(value <= std::numeric_limits<float>::max())) return std::nullopt;
  // Exactly what a write and a read make of it.
  const std::string text = QText(static_cast<float>(value));
  double stored = 0;
  std::from_chars(text.data(), text.data() + text.size(), stored);
  const auto q = static_cast<float>(stored);
  if (!(q > 0) || !std::isfinite(q)) return std::nullopt;
  return q;
}

bool ReadSettingsFile(const std::string& path, AnalysisSettings& settings) {
  std::optional<std::string> bytes = ReadSmallRegularFile(path);
  if (!bytes) return false;
  if (bytes->empty()) return false;  // nothing to scan (and fmemopen wants a buffer)
  std::FILE* file = ::fmemopen(bytes->data(), bytes->size(), "r");
  if (file == nullptr) return false;
  TextScanner in(file);
  const bool accepted = HeaderAccepted(in);
  if (accepted) {
    ReadDisplayAndAnalysis(in, settings);
    ReadPresets(in, settings);
    ReadDecoderPath(in, settings);
    ReadVoiceOptions(in, settings);
  }
  std::fclose(file);
  return accepted;
}

bool WriteSettingsFile(const std::string& path, const AnalysisSettings& settings,
                       const ReportFn& report) {
  const std::string text = FormatSettings(settings);
  const AtomicWriteStatus status = WriteFileAtomically(path, [&](std::FILE* file) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
  });
  if (status == AtomicWriteStatus::kWritten) return true;
  if (report)
    report(status == AtomicWriteStatus::kCannotCreate ? "File open error." : "File write error.");
  return false;
}

}  // namespace velmio

// Reading settings files that were edited by hand or damaged: which files are
// read at all, which values are taken, and where reading stops.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FileTestSupport.h"
#include "SettingsTestSupport.h"
#include "persist/SettingsFile.h"

namespace velmio::test {
namespace {

struct ReadResult {
  bool accepted = false;
  AnalysisSettings settings;  // read into defaults
};

ReadResult ReadFileText(const std::string& text) {
  TempDir dir;
  WriteBytes(dir / "velmio.ini", text);
  ReadResult r;
  r.accepted = ReadSettingsFile(dir / "velmio.ini", r.settings);
  return r;
}

// Resets every member kept on line `first` of the file or later to its
// default: what a file that cannot be read from that line on yields.
void DefaultsFrom(int first, AnalysisSettings& s) {
  using S = AnalysisSettings;
  constexpr int32_t S::*kLines2To11[] = {
      &S::m_lowNote,       &S::m_highNote,      &S::m_a4Frequency,     &S::m_levelTopDb,
      &S::m_levelRangeDb,  &S::m_midiProgram,   &S::m_binsPerSemitone, &S::m_windowMode,
      &S::m_showHarmonics, &S::m_harmonicsCount};
  const S d;
  for (int line = std::max(first, 2); line <= 23; ++line) {
    if (line <= 11) {
      s.*kLines2To11[line - 2] = d.*kLines2To11[line - 2];
    } else if (line <= 15) {
      s.m_eqPresetGain[line - 12] = d.m_eqPresetGain[line - 12];
      s.m_eqPresetQ[line - 12] = d.m_eqPresetQ[line - 12];
    } else if (line == 16) {
      s.m_colorMap = d.m_colorMap;
    } else if (line <= 21) {
      s.m_vcPresets[line - 17] = d.m_vcPresets[line - 17];
    } else if (line == 22) {
      s.m_decoderPath = d.m_decoderPath;
    } else {
      s.m_vocalCutMode = d.m_vocalCutMode;
      s.m_vocalLowestNote = d.m_vocalLowestNote;
      s.m_formantEnabled = d.m_formantEnabled;
      s.m_formantSensitivity = d.m_formantSensitivity;
    }
  }
}

std::vector<std::string> FirstLines(std::size_t count) {
  std::vector<std::string> lines = CustomLines();
  lines.resize(count);
  return lines;
}

struct HeaderCase {
  std::string firstLine;
  bool accepted;
};

TEST(SettingsFileRead, FirstLineDecidesWhetherTheFileIsRead) {
  const std::vector<HeaderCase> cases = {
      {"velmio 0.89", true},
      {"velmio 0.87", true},
      {" velmio \t 0.9 ", true},
      {"velmio 0.869", false},
      {"velmio 0.86", false},
      {"velmio -1", false},
      {"velmio abc", false},
      {"Velmio 0.89", false},
      {"velmio0.89", false},
      {std::string(100000, 'v') + " 0.89", false},
      {std::string("\x7f"
                   "ELF\x02\x01\x01\0\0",
                   9),
       false},
  };
  for (const HeaderCase& c : cases) {
    SCOPED_TRACE(c.firstLine.substr(0, 40));
    std::vector<std::string> lines = CustomLines();
    lines[0] = c.firstLine;
    const ReadResult r = ReadFileText(JoinLines(lines));
    EXPECT_EQ(r.accepted, c.accepted);
    EXPECT_EQ(Describe(r.settings), Describe(c.accepted ? CustomSettings() : AnalysisSettings{}));
  }
}

TEST(SettingsFileRead, MissingFileLeavesTheSettingsAsTheyWere) {
  TempDir dir;
  for (const std::string& path : {dir / "absent.ini", dir.Path().string(), std::string()}) {
    SCOPED_TRACE(path);
    AnalysisSettings settings = CustomSettings();
    EXPECT_FALSE(ReadSettingsFile(path, settings));
    EXPECT_EQ(Describe(settings), Describe(CustomSettings()));
  }
}

// None of these may block, spin or take long: each gives the defaults.
TEST(SettingsFileRead, PipesDevicesAndHugeFilesGiveTheDefaults) {
  TempDir dir;
  const std::string fifo = dir / "fifo.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, dir.Path() / "to-fifo.ini");
  fs::create_symlink("/dev/zero", dir.Path() / "zero.ini");
  fs::create_symlink("/dev/urandom", dir.Path() / "random.ini");
  const std::string huge = dir.Write("huge.ini", JoinLines(CustomLines()));
  ASSERT_EQ(::truncate(huge.c_str(), off_t{1} << 30), 0);  // sparse: no disk used
  const std::string text = JoinLines(CustomLines());
  const std::string over =
      dir.Write("over.ini", text + std::string(kMaxSettingsFileBytes + 1 - text.size(), ' '));
  for (const std::string& path :
       {fifo, dir / "to-fifo.ini", dir / "zero.ini", dir / "random.ini", huge, over}) {
    SCOPED_TRACE(path);
    AnalysisSettings settings;
    EXPECT_FALSE(ReadSettingsFile(path, settings));
    EXPECT_EQ(Describe(settings), Describe(AnalysisSettings{}));
  }
  // The largest file still taken: the same values with blanks behind them.
  const std::string limit =
      dir.Write("limit.ini", text + std::string(kMaxSettingsFileBytes - text.size(), ' '));
  AnalysisSettings settings;
  EXPECT_TRUE(ReadSettingsFile(limit, settings));
  EXPECT_EQ(Describe(settings), Describe(CustomSettings()));
}

struct RepairCase {
  const char* name;
  std::function<std::string(std::vector<std::string>& lines)> text;  // from CustomLines()
  std::function<void(AnalysisSettings& expected)> expect;            // from CustomSettings()
};

using LineEdits = std::vector<std::pair<std::size_t, std::string>>;

// Puts the given texts on the given (1-based) lines.
std::function<std::string(std::vector<std::string>&)> Edit(LineEdits edits) {
  return [edits = std::move(edits)](std::vector<std::string>& lines) {
    for (const auto& [line, text] : edits) lines[line - 1] = text;
    return JoinLines(lines);
  };
}

const std::vector<RepairCase>& ValueRepairs() {
  static const std::vector<RepairCase> cases = {
      {"vocal options above their ranges", Edit({{23, "3 40 2 5"}}),
       [](AnalysisSettings& s) { DefaultsFrom(23, s); }},
      {"vocal options below their ranges", Edit({{23, "-1 -1 -1 -1"}}),
       [](AnalysisSettings& s) { DefaultsFrom(23, s); }},
      {"note range off the octave grid", Edit({{2, "13"}, {3, "132"}}),
       [](AnalysisSettings& s) {
         s.m_lowNote = 12;
         s.m_highNote = 120;
       }},
      {"analysis values the program cannot use",
       // A4, bins per semitone, window, harmonics shown, harmonics count
       Edit({{4, "0"}, {8, "3"}, {9, "2"}, {10, "-1"}, {11, "9"}}),
       [](AnalysisSettings& s) {
         s.m_a4Frequency = 440;
         s.m_binsPerSemitone = 4;
         s.m_windowMode = 1;
         s.m_showHarmonics = 0;
         s.m_harmonicsCount = 6;
       }},
      {"display values out of reach",
       // gain, dynamic range (a divisor when drawing), MIDI program, colour map
       Edit({{5, "1002"}, {6, "0"}, {7, "128"}, {16, "2"}}),
       [](AnalysisSettings& s) {
         s.m_levelTopDb = 24;
         s.m_levelRangeDb = 20;
         s.m_midiProgram = 0;
         s.m_colorMap = 0;
       }},
      {"equalizer gains beyond the sliders and Q not positive",
       Edit({{12, "13 -25 -3 4 5 6 7 8 9 10 11 0.000"},
             {13, " 1 -1  2 -2  3 -3  4 -4  5 -5 -12 -1.5"}}),
       [](AnalysisSettings& s) {
         s.m_eqPresetGain[0][0] = s.m_eqPresetGain[0][1] = 0;
         s.m_eqPresetQ[0] = s.m_eqPresetQ[1] = 1.0f;
       }},
      {"Q too large for a float", Edit({{14, " 0  0  0  0  0  9  0  0  0  0  0 1e39"}}),
       [](AnalysisSettings& s) { s.m_eqPresetQ[2] = 1.0f; }},
      {"Q without decimals or with an exponent",
       Edit({{12, "-24 12 -3  4  5  6  7  8  9 10 11 2"},
             {13, " 1 -1  2 -2  3 -3  4 -4  5 -5 -12 +2.5e-1"}}),
       [](AnalysisSettings& s) { s.m_eqPresetQ[0] = 2.0f; }},
      {"voice-conversion preset outside the dialog's ranges", Edit({{17, "97 -1 49 -25"}}),
       [](AnalysisSettings& s) { s.m_vcPresets[0] = VcPreset{}; }},
      {"numbers beyond 32 bits", Edit({{4, "99999999999999999999"}, {5, "-99999999999999999999"}}),
       [](AnalysisSettings& s) {
         s.m_a4Frequency = 440;
         s.m_levelTopDb = 24;
       }},
  };
  return cases;
}

const std::vector<RepairCase>& LayoutCases() {
  const std::string longestPath = std::string(kMaxDecoderPathChars - 15, 'd') + "EcoDecoTooL.exe";
  static const std::vector<RepairCase> cases = {
      {"signs, tabs, blank lines and a long run of spaces",
       Edit({{2, "+24"}, {3, "96\n\n\t"}, {6, std::string(1 << 15, ' ') + "16"}}),
       [](AnalysisSettings&) {}},
      {"lines ending in CR LF", [](std::vector<std::string>& l) { return JoinLines(l, "\r\n"); },
       [](AnalysisSettings&) {}},
      {"words after the last voice-conversion preset", Edit({{21, "10 20 1 -1 and more"}}),
       [](AnalysisSettings&) {}},
      {"garbage stops the reading", Edit({{5, "abc"}}),
       [](AnalysisSettings& s) { DefaultsFrom(5, s); }},
      {"number run into garbage", Edit({{5, "-6x"}}),
       [](AnalysisSettings& s) { DefaultsFrom(6, s); }},
      {"garbage inside a preset", Edit({{18, "0 96 x 0"}}),
       [](AnalysisSettings& s) {
         DefaultsFrom(19, s);
         s.m_vcPresets[1].pitchPosition = s.m_vcPresets[1].formantPosition = 0;
       }},
      {"decoder name in another case", Edit({{22, "C:\\Tools\\ecodecotool.EXE"}}),
       [](AnalysisSettings& s) { s.m_decoderPath = "C:\\Tools\\ecodecotool.EXE"; }},
      {"decoder name without a folder", Edit({{22, "EcoDecoTooL.exe"}}),
       [](AnalysisSettings& s) { s.m_decoderPath = "none"; }},
      {"some other program", Edit({{22, "/usr/bin/ffmpeg"}}),
       [](AnalysisSettings& s) { s.m_decoderPath = "none"; }},
      {"decoder path as long as kept", Edit({{22, longestPath}}),
       [=](AnalysisSettings& s) { s.m_decoderPath = longestPath; }},
      {"decoder path one longer", Edit({{22, "/" + longestPath}}),
       [](AnalysisSettings& s) { s.m_decoderPath = "none"; }},
      {"decoder line holding a NUL", Edit({{22, std::string("/a\0/EcoDecoTooL.exe", 19)}}),
       [](AnalysisSettings& s) { s.m_decoderPath = "none"; }},
      {"decoder line last and without its newline",
       [](std::vector<std::string>& l) {
         l.resize(22);
         std::string text = JoinLines(l);
         text.pop_back();
         return text;
       },
       [](AnalysisSettings& s) { DefaultsFrom(23, s); }},
  };
  return cases;
}

void RunRepairCases(const std::vector<RepairCase>& cases) {
  for (const RepairCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = CustomLines();
    const ReadResult r = ReadFileText(c.text(lines));
    AnalysisSettings expected = CustomSettings();
    c.expect(expected);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(Describe(r.settings), Describe(expected));
  }
}

// A value the program cannot use falls back to its default; the values
// around it are still taken.
TEST(SettingsFileRead, UnusableValuesFallBackOneByOne) {
  RunRepairCases(ValueRepairs());
}

TEST(SettingsFileRead, LayoutVariantsAndDamage) {
  RunRepairCases(LayoutCases());
}

TEST(SettingsFileRead, FileEndingAfterAnyLineKeepsTheRestAtDefaults) {
  for (std::size_t count = 1; count <= 22; ++count) {
    SCOPED_TRACE(count);
    const ReadResult r = ReadFileText(JoinLines(FirstLines(count)));
    AnalysisSettings expected = CustomSettings();
    DefaultsFrom(static_cast<int>(count) + 1, expected);
    EXPECT_TRUE(r.accepted);
    EXPECT_EQ(Describe(r.settings), Describe(expected));
  }
}

// Cut at every byte, the file is read without running past its end; whether
// it is read at all depends only on a complete version number.
TEST(SettingsFileRead, FileCutAtAnyByteIsReadSafely) {
  const std::string text = JoinLines(CustomLines());
  const std::size_t versionEnd = std::string("velmio 0.89").size();
  for (std::size_t size = 0; size <= text.size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_EQ(ReadFileText(text.substr(0, size)).accepted, size >= versionEnd);
  }
}

}  // namespace
}  // namespace velmio::test

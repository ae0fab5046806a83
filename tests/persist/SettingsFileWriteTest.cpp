// The settings file as written: its exact bytes, what reads back, and what a
// failed write leaves behind.
#include <clocale>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "SettingsTestSupport.h"
#include "persist/SettingsFile.h"
#include "support/FileSizeCap.h"

namespace velmio::test {
namespace {

std::string ReadText(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

struct Outcome {
  bool ok = false;
  std::vector<std::string> reports;
};

Outcome Write(const std::string& path, const AnalysisSettings& settings) {
  Outcome o;
  o.ok = WriteSettingsFile(path, settings,
                           [&](const std::string& message) { o.reports.push_back(message); });
  return o;
}

TEST(SettingsFileWrite, FirstRunWritesTheDefaultFile) {
  TempDir dir;
  const std::string path = dir / "velmio.ini";
  AnalysisSettings settings;
  EXPECT_FALSE(ReadSettingsFile(path, settings));  // no file yet: defaults, no message
  ASSERT_TRUE(Write(path, settings).ok);
  const char* kEqDefault = " 0  0  0  0  0  0  0  0  0  0  0  1.000\n";
  const std::string expected = std::string("velmio 0.89\n12\n120\n440\n24\n20\n0\n4\n1\n0\n6\n") +
                               kEqDefault + kEqDefault + kEqDefault + kEqDefault + "0\n" +
                               "31 64 0 0\n31 64 0 0\n31 64 0 0\n31 64 0 0\n31 64 0 0\n" +
                               "none\n0 19 0 0\n";
  EXPECT_EQ(ReadText(path), expected);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"velmio.ini"});
}

// Widths of "%2d " and "%6.3f": negative and three-digit values widen the
// fields, a decoder path with spaces is written whole.
TEST(SettingsFileWrite, EveryMemberGoesToItsLineInItsFormat) {
  TempDir dir;
  ASSERT_TRUE(Write(dir / "velmio.ini", CustomSettings()).ok);
  EXPECT_EQ(ReadText(dir / "velmio.ini"), JoinLines(CustomLines()));
}

TEST(SettingsFileWrite, WhatIsWrittenReadsBack) {
  TempDir dir;
  AnalysisSettings written = CustomSettings();
  written.m_vcPresets[5] = {1, 2, 3, 4};  // belongs to analysis files, never to this one
  ASSERT_TRUE(Write(dir / "velmio.ini", written).ok);

  AnalysisSettings read;
  EXPECT_TRUE(ReadSettingsFile(dir / "velmio.ini", read));
  AnalysisSettings expected = written;
  expected.m_vcPresets[5] = VcPreset{};
  EXPECT_EQ(Describe(read), Describe(expected));
}

// Every Q the reader (and so the equalizer dialog) accepts comes back from a
// write and a read unchanged, from the smallest to the largest float; one
// the file would hold as 0.000 is not accepted at all.
TEST(SettingsFileWrite, EveryAcceptedQSurvivesAWriteAndARead) {
  std::vector<double> typed = {0.0005, 0.00050001, 0.001,     0.0015,     1.0,         1.2345,
                               2.5,    8191.9995,  8192.0005, 16777217.0, 3.4028234e38};
  for (double v = 0.0005; v < 3e38; v *= 1.37) typed.push_back(v);
  TempDir dir;
  for (const double value : typed) {
    SCOPED_TRACE(value);
    const std::optional<float> q = StorableEqQ(value);
    ASSERT_TRUE(q.has_value());
    AnalysisSettings settings;
    settings.m_eqPresetQ = {*q, *q, *q, *q};
    ASSERT_TRUE(Write(dir / "velmio.ini", settings).ok);
    AnalysisSettings read;
    read.m_eqPresetQ = {-1, -1, -1, -1};
    ASSERT_TRUE(ReadSettingsFile(dir / "velmio.ini", read));
    EXPECT_EQ(read.m_eqPresetQ[0], *q);
    EXPECT_EQ(StorableEqQ(*q), q);
  }
  for (const double value : {0.0, 0.0004, 0.00049999, -1.0, 1e39, std::nan("")})
    EXPECT_FALSE(StorableEqQ(value).has_value()) << value;
  // A hand-written Q below what the file holds keeps the value in memory.
  std::vector<std::string> lines = CustomLines();
  lines[11] = "-24 12 -3  4  5  6  7  8  9 10 11  0.0004";
  const std::string path = dir.Write("small-q.ini", JoinLines(lines));
  AnalysisSettings read;
  ASSERT_TRUE(ReadSettingsFile(path, read));
  EXPECT_EQ(read.m_eqPresetQ[0], 1.0f);
  EXPECT_EQ(read.m_eqPresetQ[1], CustomSettings().m_eqPresetQ[1]);
}

TEST(SettingsFileWrite, DecimalPointDoesNotFollowTheLocale) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr)
    GTEST_SKIP() << "no locale with a decimal comma installed";
  TempDir dir;
  AnalysisSettings settings;
  settings.m_eqPresetQ[0] = 1.5f;
  const bool written = Write(dir / "velmio.ini", settings).ok;
  AnalysisSettings read;
  const bool readBack = ReadSettingsFile(dir / "velmio.ini", read);
  std::setlocale(LC_ALL, before.c_str());
  ASSERT_TRUE(written && readBack);
  EXPECT_NE(ReadText(dir / "velmio.ini").find("  1.500\n"), std::string::npos);
  EXPECT_EQ(read.m_eqPresetQ[0], 1.5f);
}

// Values no dialog produces but that would make the file unreadable from their
// line on: they are written as their defaults, and the rest reads back intact.
TEST(SettingsFileWrite, ValuesTheFileCannotHoldAreWrittenAsDefaults) {
  const char kWithNul[] = "/a/\0/EcoDecoTooL.exe";
  for (const std::string& path :
       {std::string("/a/EcoDecoTooL.exe\n/b/EcoDecoTooL.exe"), std::string("/a/\r/EcoDecoTooL.exe"),
        std::string(kWithNul, sizeof kWithNul - 1)}) {
    SCOPED_TRACE(path);
    TempDir dir;
    AnalysisSettings settings = CustomSettings();
    settings.m_decoderPath = path;
    settings.m_eqPresetQ[3] = std::nanf("");
    ASSERT_TRUE(Write(dir / "velmio.ini", settings).ok);

    std::vector<std::string> lines = CustomLines();
    lines[14] = "-10 -11 -12 -13 -14 -15 -16 -17 -18 -19 -20  1.000";
    lines[21] = "none";
    EXPECT_EQ(ReadText(dir / "velmio.ini"), JoinLines(lines));
  }
}

TEST(SettingsFileWrite, ReportsOpenErrorWhenTheFileCannotBeCreated) {
  TempDir dir;
  const Outcome o = Write(dir / "missing/velmio.ini", AnalysisSettings{});
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.reports, std::vector<std::string>{"File open error."});
  EXPECT_FALSE(WriteSettingsFile(dir / "missing/velmio.ini", AnalysisSettings{}, nullptr));
  EXPECT_TRUE(dir.Entries().empty());
}

TEST(SettingsFileWrite, FailedWriteKeepsTheOldFile) {
  TempDir dir;
  const std::string path = dir / "velmio.ini";
  ASSERT_TRUE(Write(path, CustomSettings()).ok);
  const std::string old = ReadText(path);
  Outcome o;
  {
    FileSizeCap cap(100);  // the file has about 400 bytes
    o = Write(path, AnalysisSettings{});
  }
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.reports, std::vector<std::string>{"File write error."});
  EXPECT_EQ(ReadText(path), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"velmio.ini"});
}

}  // namespace
}  // namespace velmio::test

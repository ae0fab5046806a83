// Reading analysis files back: what a save wrote returns field for field,
// and a file that is damaged, cut short or lies about its counts is refused
// with the format message, leaving the caller's analysis as it was.
#include <cstring>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "persist/AnalysisFile.h"

namespace velmio::test {
namespace {

struct PitchData {
  std::vector<int16_t> track;
  std::vector<int32_t> marks;
  std::vector<int16_t> peaks;
};

// A result with every field set to a value of its own, with or without pitch data.
AnalysisFileContents Described(const SampleAnalysis& a, PitchData* pitch) {
  AnalysisFileContents c = a.Contents();
  c.levelTopDb = -7;
  c.levelRangeDb = 33;
  c.filePath = "/music/テイク 2.mp3";
  c.tempo = {121, 3, 8, -250};
  c.pitchLowNote = 29;
  c.pitchHighNote = 66;
  c.missingFundamental = 1;
  c.vocalCutApplied = 2;
  c.vocalLowestNote = 36;
  if (pitch != nullptr) {
    for (int32_t f = 0; f < c.frameCount; ++f) pitch->track.push_back(static_cast<int16_t>(f - 3));
    pitch->marks = {5, 90, 181, 260};
    pitch->peaks = {-7, 300, 12, -32768};
    c.pitchEnabled = 1;
    c.pitchTrack = pitch->track;
    c.windowState = {2, 17, -40, 25};
    c.markCount = 3;
    c.pitchMarks = pitch->marks;
    c.periodPeaks = pitch->peaks;
  }
  return c;
}

std::vector<uint8_t> Saved(const AnalysisFileContents& c) {
  TempDir dir;
  EXPECT_TRUE(WriteAnalysisFile(dir / "a.vlx", c, nullptr));
  return ReadBytes(dir / "a.vlx");
}

void PutInt32(std::vector<uint8_t>& bytes, std::size_t offset, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int k = 0; k < 4; ++k) bytes[offset + k] = static_cast<uint8_t>(v >> (8 * k));
}

// An analysis the caller already holds; a refused file must leave it alone.
LoadedAnalysis Previous() {
  LoadedAnalysis a;
  a.frameCount = 4;
  a.filePath = "previous.wav";
  a.levelDb.Reset(4 * 8 * 108);
  a.frameEnergy.Reset(4);
  return a;
}

void ExpectUntouched(const LoadedAnalysis& a) {
  EXPECT_EQ(a.frameCount, 4);
  EXPECT_EQ(a.filePath, "previous.wav");
  EXPECT_EQ(a.levelDb.size(), 4u * 8 * 108);
}

TEST(AnalysisFileRead, ReturnsWhatWasSaved) {
  for (const bool withPitch : {false, true}) {
    SCOPED_TRACE(withPitch ? "with pitch data" : "without pitch data");
    SampleAnalysis sample(48, 72, 12);
    PitchData pitch;
    const AnalysisFileContents c = Described(sample, withPitch ? &pitch : nullptr);
    LoadedAnalysis a;
    ASSERT_TRUE(ParseAnalysisFile(Saved(c), a));
    EXPECT_EQ(a.frameCount, 12);
    EXPECT_EQ(a.levelTopDb, -7);
    EXPECT_EQ(a.levelRangeDb, 33);
    EXPECT_EQ(a.lowNote, 48);
    EXPECT_EQ(a.highNote, 72);
    EXPECT_EQ(a.filePath, c.filePath);
    EXPECT_TRUE(
        std::equal(a.levelDb.begin(), a.levelDb.end(), sample.levels.begin(), sample.levels.end()));
    EXPECT_TRUE(std::equal(a.frameEnergy.begin(), a.frameEnergy.end(), sample.energy.begin(),
                           sample.energy.end()));
    EXPECT_EQ(a.tempo.tempo, 121);
    EXPECT_EQ(a.tempo.beatsPerBar, 3);
    EXPECT_EQ(a.tempo.beatUnit, 8);
    EXPECT_EQ(a.tempo.startMs, -250);
    EXPECT_EQ(a.pitchEnabled, withPitch ? 1 : 0);
    EXPECT_EQ(a.showPitch, a.pitchEnabled);
    EXPECT_EQ(a.pitchLowNote, 29);
    EXPECT_EQ(a.pitchHighNote, 66);
    EXPECT_EQ(a.missingFundamental, 1);
    EXPECT_EQ(a.vocalCutApplied, 2);
    EXPECT_EQ(a.vocalLowestNote, 36);
    EXPECT_EQ(a.pitchTrack, pitch.track);
    EXPECT_EQ(a.pitchMarks, pitch.marks);
    EXPECT_EQ(a.periodPeaks, pitch.peaks);
    if (withPitch) {
      EXPECT_EQ(a.markCount, 3);
      EXPECT_EQ(a.windowState.lowestNote, 2);
      EXPECT_EQ(a.windowState.highestNote, 17);
      EXPECT_EQ(a.windowState.pitchPosition, -40);
      EXPECT_EQ(a.windowState.formantPosition, 25);
    }
  }
}

TEST(AnalysisFileRead, PitchSectionWithoutMarksEndsAfterTheCount) {
  SampleAnalysis sample(36, 84, 8);
  PitchData pitch;
  AnalysisFileContents c = Described(sample, &pitch);
  c.markCount = 0;
  c.pitchMarks = {};
  c.periodPeaks = {};
  const std::vector<uint8_t> bytes = Saved(c);
  EXPECT_EQ(bytes.size(), 632 + 4 * sample.levels.size() + 16 + 4 * 8 + 84 + 2 * 8 + 20);
  LoadedAnalysis a;
  ASSERT_TRUE(ParseAnalysisFile(bytes, a));
  EXPECT_EQ(a.markCount, 0);
  EXPECT_TRUE(a.pitchMarks.empty());
  EXPECT_EQ(a.pitchTrack, pitch.track);
}

// Bytes 11 ... 14 decide; the text in front of them is never looked at.
TEST(AnalysisFileRead, VersionRule) {
  struct VersionCase {
    const char* header;  // the first 15 bytes
    bool accepted;
  };
  const std::vector<VersionCase> cases = {
      {"velmio ver 0.89", true},  {"velmio ver 0.80", true},  {"anything  x0.80", true},
      {"velmio ver 1.20", true},  {"velmio ver 0.79", false}, {"velmio ver 0.7x", false},
      {"velmio ver abcd", false}, {"velmio ver     ", false}, {"velmio ver -1.0", false},
  };
  const std::vector<uint8_t> good = Saved(SampleAnalysis(12, 120, 4).Contents());
  for (const VersionCase& v : cases) {
    SCOPED_TRACE(v.header);
    std::vector<uint8_t> bytes = good;
    std::memcpy(bytes.data(), v.header, 15);
    LoadedAnalysis a = Previous();
    EXPECT_EQ(ParseAnalysisFile(bytes, a), v.accepted);
    if (!v.accepted) ExpectUntouched(a);
  }
}

// Every prefix of a valid file, with and without pitch data, is refused.
TEST(AnalysisFileRead, RefusesAFileCutAtAnyOffset) {
  for (const bool withPitch : {false, true}) {
    SampleAnalysis sample(48, 72, 4);
    PitchData pitch;
    const std::vector<uint8_t> whole = Saved(Described(sample, withPitch ? &pitch : nullptr));
    for (std::size_t size = 0; size < whole.size(); ++size) {
      LoadedAnalysis a = Previous();
      ASSERT_FALSE(ParseAnalysisFile(std::span(whole).first(size), a))
          << "cut at " << size << (withPitch ? " with pitch" : "");
      ExpectUntouched(a);
    }
    std::vector<uint8_t> longer = whole;
    longer.push_back(0);
    LoadedAnalysis a = Previous();
    EXPECT_FALSE(ParseAnalysisFile(longer, a)) << "one byte too many";
  }
}

// One field patched in an otherwise valid file: F = 8, low C4, high C6.
TEST(AnalysisFileRead, RefusesCountsThatDisagree) {
  struct PatchCase {
    const char* name;
    std::size_t offset;  // from the start; voice fields from the voice block
    int32_t value;
    bool inVoiceBlock = false;
  };
  constexpr int32_t F = 8, R = 8 * 24, N = R * F;
  const std::vector<PatchCase> cases = {
      {"first frame count larger", 16, F + 4},
      {"first frame count smaller", 16, F - 4},
      {"frame count zero in both", 16, 0},
      {"second frame count", 620, F + 1},
      {"row count", 624, R + 8},
      {"cell count", 628, N - 1},
      {"cell count huge", 628, 0x7fffffff},
      {"cell count negative", 628, -N},
      {"low note off the grid", 28, 50},
      {"low note above C4", 28, 60},
      {"high note above C10", 32, 132},
      {"high note below C6", 32, 60},
      {"display range zero", 24, 0},
      {"vocal mode unknown", 20, 3, true},
      {"vocal lowest note past C5", 24, 37, true},
  };
  SampleAnalysis sample(48, 72, F);
  const std::vector<uint8_t> good = Saved(sample.Contents());
  const std::size_t voice = 648 + 4 * N + 4 * F;
  for (const PatchCase& p : cases) {
    SCOPED_TRACE(p.name);
    std::vector<uint8_t> bytes = good;
    PutInt32(bytes, p.offset + (p.inVoiceBlock ? voice : 0), p.value);
    LoadedAnalysis a = Previous();
    EXPECT_FALSE(ParseAnalysisFile(bytes, a));
    ExpectUntouched(a);
  }
}

// Counts that agree with each other but promise far more than the file holds.
TEST(AnalysisFileRead, RefusesHugeConsistentCountsInASmallFile) {
  std::vector<uint8_t> bytes = Saved(SampleAnalysis(0, 120, 4).Contents());
  const int32_t frames = 2236962;  // 960 rows x F just below 2^31 cells
  for (std::size_t offset : {16u, 620u}) PutInt32(bytes, offset, frames);
  PutInt32(bytes, 628, 960 * frames);
  LoadedAnalysis a = Previous();
  EXPECT_FALSE(ParseAnalysisFile(bytes, a));
  ExpectUntouched(a);
}

TEST(AnalysisFileRead, RefusesAPitchSectionThatLies) {
  struct PitchCase {
    const char* name;
    int32_t markCount;  // patched over the saved 3
    bool dropLastByte;
  };
  const std::vector<PitchCase> cases = {
      {"more marks than stored", 4, false}, {"fewer marks than stored", 2, false},
      {"negative mark count", -1, false},   {"huge mark count", 0x7fffffff, false},
      {"last peak cut short", 3, true},
  };
  SampleAnalysis sample(48, 72, 8);
  PitchData pitch;
  const std::vector<uint8_t> good = Saved(Described(sample, &pitch));
  const std::size_t countAt = good.size() - 6 * 4 - 4;
  for (const PitchCase& p : cases) {
    SCOPED_TRACE(p.name);
    std::vector<uint8_t> bytes = good;
    PutInt32(bytes, countAt, p.markCount);
    if (p.dropLastByte) bytes.pop_back();
    LoadedAnalysis a = Previous();
    EXPECT_FALSE(ParseAnalysisFile(bytes, a));
    ExpectUntouched(a);
  }
  // The pitch flag set on a file saved without pitch data: its zero block is no section.
  std::vector<uint8_t> flagged = Saved(SampleAnalysis(48, 72, 8).Contents());
  PutInt32(flagged, 648 + 4 * 8 * 24 * 8 + 4 * 8, 1);
  LoadedAnalysis a = Previous();
  EXPECT_FALSE(ParseAnalysisFile(flagged, a));
}

TEST(AnalysisFileRead, FileFailuresAreReportedAndChangeNothing) {
  TempDir dir;
  const std::string bad = dir.Write("bad.vlx", "velmio ver 0.70 and nothing after it");
  struct FileCase {
    std::string path;
    AnalysisFileReadStatus status;
    std::string message;
  };
  const std::vector<FileCase> cases = {
      {dir / "missing.vlx", AnalysisFileReadStatus::kCannotOpen, "File open error."},
      {dir.Path().string(), AnalysisFileReadStatus::kCannotOpen, "File open error."},
      {bad, AnalysisFileReadStatus::kWrongFormat, kAnalysisFileFormatMessage},
  };
  for (const FileCase& f : cases) {
    SCOPED_TRACE(f.path);
    std::vector<std::string> reports;
    LoadedAnalysis a = Previous();
    EXPECT_EQ(ReadAnalysisFile(f.path, a, [&](const std::string& m) { reports.push_back(m); }),
              f.status);
    EXPECT_EQ(reports, std::vector<std::string>{f.message});
    ExpectUntouched(a);
  }
}

TEST(AnalysisFileRead, SavedFileReadsBackFromDisk) {
  TempDir dir;
  SampleAnalysis sample(12, 120, 4);
  ASSERT_TRUE(WriteAnalysisFile(dir / "d.vlx", sample.Contents(), nullptr));
  LoadedAnalysis a;
  std::vector<std::string> reports;
  EXPECT_EQ(ReadAnalysisFile(dir / "d.vlx", a, [&](const std::string& m) { reports.push_back(m); }),
            AnalysisFileReadStatus::kRead);
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(a.levelDb.size(), sample.levels.size());
  EXPECT_EQ(a.levelDb[7], sample.levels[7]);
}

}  // namespace
}  // namespace velmio::test

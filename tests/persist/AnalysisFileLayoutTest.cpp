// The bytes of a written analysis file, read back field by field at the
// offsets that readers of the format rely on.
#include <sys/stat.h>

#include <cmath>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "persist/AnalysisFile.h"

namespace velmio::test {
namespace {

struct Written {
  bool ok = false;
  std::vector<std::string> reports;
  LittleEndianImage image{{}};
};

Written WriteAndRead(const std::string& path, const AnalysisFileContents& contents) {
  Written w;
  w.ok = WriteAnalysisFile(path, contents,
                           [&](const std::string& message) { w.reports.push_back(message); });
  w.image = LittleEndianImage(ReadBytes(path));
  return w;
}

TEST(AnalysisFileLayout, EveryFieldSitsAtItsOffset) {
  TempDir dir;
  SampleAnalysis analysis(48, 50, 8);  // R = 16, F = 8, N = 128
  analysis.levels[5] = -382.29f;       // silence
  analysis.levels[6] = -0.0f;          // the sign bit must survive
  AnalysisFileContents c = analysis.Contents();
  c.levelTopDb = 31;
  c.levelRangeDb = 17;
  c.filePath = "/home/me/music/take 1.wav";
  c.tempo = {132, 3, 8, 1500};
  c.pitchLowNote = 25;
  c.pitchHighNote = 70;
  c.missingFundamental = 1;
  c.vocalCutApplied = 2;
  c.vocalLowestNote = 7;
  const Written w = WriteAndRead(dir / "a.vlx", c);
  ASSERT_TRUE(w.ok);
  EXPECT_TRUE(w.reports.empty());
  const LittleEndianImage& f = w.image;
  constexpr std::size_t F = 8, R = 16, N = R * F;

  EXPECT_EQ(f.Text(0, 16), std::string("velmio ver 0.89\0", 16));
  EXPECT_EQ(f.Text(11, 4), "0.89");  // what readers parse as the version
  const std::vector<std::pair<std::size_t, int32_t>> ints = {
      {16, 8}, {20, 31}, {24, 17}, {28, 48},  {32, 50},
      {36, 0}, {40, 0},  {620, 8}, {624, 16}, {628, 128}};
  for (const auto& [offset, value] : ints) EXPECT_EQ(f.I32(offset), value) << "offset " << offset;

  EXPECT_EQ(f.Text(44, c.filePath.size()), c.filePath);
  EXPECT_TRUE(f.ZeroRange(44 + c.filePath.size(), 512 - c.filePath.size()));
  EXPECT_TRUE(f.ZeroRange(556, 64));

  for (std::size_t i = 0; i < N; ++i)
    ASSERT_EQ(f.U32(632 + 4 * i), std::bit_cast<uint32_t>(analysis.levels[i])) << "cell " << i;

  const std::size_t tempo = 632 + 4 * N;
  EXPECT_EQ(f.I32(tempo), 132);
  EXPECT_EQ(f.I32(tempo + 4), 3);
  EXPECT_EQ(f.I32(tempo + 8), 8);
  EXPECT_EQ(f.I32(tempo + 12), 1500);

  for (std::size_t i = 0; i < F; ++i)
    EXPECT_EQ(f.F32(648 + 4 * N + 4 * i), analysis.energy[i]) << "frame " << i;

  const std::size_t voice = 648 + 4 * N + 4 * F;
  const std::vector<int32_t> options = {0, 0, 25, 70, 1, 2, 7};  // pitch flag twice, then the rest
  for (std::size_t k = 0; k < options.size(); ++k)
    EXPECT_EQ(f.I32(voice + 4 * k), options[k]) << "option " << k;
  EXPECT_TRUE(f.ZeroRange(voice + 28, 56));
  EXPECT_TRUE(f.ZeroRange(voice + 84, 4 * F));  // the pitch section stand-in

  EXPECT_EQ(f.Size(), 732 + 4 * N + 8 * F);
}

struct PitchSectionCase {
  const char* name;
  int32_t markCount;
  std::vector<int32_t> marks;  // markCount + 1 entries, none without periods
  std::vector<int16_t> peaks;
};

// The section replaces the zero block: track, window state, count, then the
// marks and peaks only when there are periods.
TEST(AnalysisFileLayout, PitchSectionFollowsTheVoiceOptions) {
  const std::vector<PitchSectionCase> cases = {
      {"periods", 3, {0, 220, 441, 882}, {0, 1200, -1, 0}},
      {"no period", 0, {}, {}},
  };
  for (const PitchSectionCase& p : cases) {
    SCOPED_TRACE(p.name);
    TempDir dir;
    SampleAnalysis analysis(48, 50, 6);
    AnalysisFileContents c = analysis.Contents();
    const std::vector<int16_t> track = {972, 516, -3, 32767, 0, 972};
    c.pitchEnabled = 1;
    c.pitchTrack = track;
    c.windowState = {31, 64, 0, 0};
    c.markCount = p.markCount;
    c.pitchMarks = p.marks;
    c.periodPeaks = p.peaks;
    const Written w = WriteAndRead(dir / "p.vlx", c);
    ASSERT_TRUE(w.ok);
    const LittleEndianImage& f = w.image;
    constexpr std::size_t F = 6, N = 16 * F;
    const std::size_t voice = 648 + 4 * N + 4 * F;
    EXPECT_EQ(f.I32(voice), 1);
    EXPECT_EQ(f.I32(voice + 4), 1);  // the display flag repeats the pitch flag
    std::size_t at = voice + 84;
    for (std::size_t t = 0; t < F; ++t, at += 2)
      EXPECT_EQ(f.I16(at), track[t]) << "frame " << t;
    for (int32_t v : {31, 64, 0, 0}) {
      EXPECT_EQ(f.I32(at), v);
      at += 4;
    }
    EXPECT_EQ(f.I32(at), c.markCount);
    at += 4;
    const std::size_t m = p.marks.size();
    for (std::size_t i = 0; i < m; ++i, at += 4) EXPECT_EQ(f.I32(at), p.marks[i]);
    for (std::size_t i = 0; i < m; ++i, at += 2)
      EXPECT_EQ(f.I16(at), p.peaks[i]);
    EXPECT_EQ(f.Size(), at);
    EXPECT_EQ(f.Size(), 732 + 4 * N + 4 * F + 2 * F + 20 + 6 * m);
  }
}

struct GeometryCase {
  int32_t lowNote, highNote, frames;
};

TEST(AnalysisFileLayout, SizeAndCountsFollowTheGeometry) {
  const std::vector<GeometryCase> cases = {
      {12, 120, 4},  // the default range
      {0, 12, 0},    // no frames: header, tempo and options only
      {48, 60, 1},
      {36, 108, 12},
  };
  for (const GeometryCase& g : cases) {
    SCOPED_TRACE(testing::Message() << g.lowNote << ".." << g.highNote << " x " << g.frames);
    TempDir dir;
    const Written w =
        WriteAndRead(dir / "g.vlx", SampleAnalysis(g.lowNote, g.highNote, g.frames).Contents());
    ASSERT_TRUE(w.ok);
    const std::size_t rows = 8 * (g.highNote - g.lowNote), cells = rows * g.frames;
    EXPECT_EQ(w.image.Size(), 732 + 4 * cells + 8 * static_cast<std::size_t>(g.frames));
    EXPECT_EQ(w.image.I32(16), g.frames);
    EXPECT_EQ(w.image.I32(620), g.frames);
    EXPECT_EQ(w.image.I32(624), static_cast<int32_t>(rows));
    EXPECT_EQ(w.image.I32(628), static_cast<int32_t>(cells));
  }
}

struct TempoCase {
  TempoGrid given;
  std::array<int32_t, 4> written;
};

TEST(AnalysisFileLayout, TempoBlockFallsBackToFourFourWithoutATempo) {
  const std::vector<TempoCase> cases = {
      {{0, 4, 4, 0}, {0, 4, 4, 0}},
      {{0, 7, 16, 900}, {0, 4, 4, 0}},  // bar settings without a tempo are not kept
      {{96, 6, 8, 250}, {96, 6, 8, 250}},
      {{-1, 2, 2, -40}, {-1, 2, 2, -40}},  // any nonzero tempo counts as set
  };
  for (const TempoCase& t : cases) {
    SCOPED_TRACE(testing::Message() << "tempo " << t.given.tempo);
    TempDir dir;
    SampleAnalysis analysis(60, 61, 4);
    AnalysisFileContents c = analysis.Contents();
    c.tempo = t.given;
    const Written w = WriteAndRead(dir / "t.vlx", c);
    ASSERT_TRUE(w.ok);
    const std::size_t at = 632 + 4 * analysis.levels.size();
    for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(w.image.I32(at + 4 * k), t.written[k]);
  }
}

TEST(AnalysisFileLayout, LongestStorablePathKeepsItsTerminator) {
  TempDir dir;
  SampleAnalysis analysis(60, 61, 4);
  AnalysisFileContents c = analysis.Contents();
  c.filePath = "/" + std::string(kAnalysisFileMaxPathBytes - 1, 'p');
  const Written w = WriteAndRead(dir / "p.vlx", c);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.image.Text(44, 511), c.filePath);
  EXPECT_TRUE(w.image.ZeroRange(555, 1));
  EXPECT_EQ(w.image.I32(556), 0);  // the reserved block right behind is untouched
}

TEST(AnalysisFileLayout, OverwritingReplacesTheFileAndKeepsItsAccessRights) {
  TempDir dir;
  const std::string path = dir / "same.vlx";
  ASSERT_TRUE(WriteAnalysisFile(path, SampleAnalysis(12, 120, 8).Contents(), nullptr));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  const Written w = WriteAndRead(path, SampleAnalysis(60, 61, 4).Contents());
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.image.Size(), 732u + 4 * 32 + 8 * 4);  // the smaller file, no tail of the old one
  EXPECT_EQ(fs::status(path).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"same.vlx"});
}

TEST(AnalysisFileLayout, NewFileGetsTheUsualAccessRights) {
  TempDir dir;
  const mode_t old = umask(022);
  const bool ok = WriteAnalysisFile(dir / "n.vlx", SampleAnalysis(60, 61, 4).Contents(), nullptr);
  umask(old);
  ASSERT_TRUE(ok);
  // Like any file the user saves: readable by others, not private to the temporary's creator.
  EXPECT_EQ(fs::status(dir / "n.vlx").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                fs::perms::others_read);
}

}  // namespace
}  // namespace velmio::test

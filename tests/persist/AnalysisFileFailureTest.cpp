// Saves that cannot succeed: each is reported, returns false and leaves what
// was on disk before exactly as it was, with no temporary file behind.
#include <functional>
#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "persist/AnalysisFile.h"
#include "support/FileSizeCap.h"

namespace velmio::test {
namespace {

constexpr char kOldContent[] = "an older analysis that must survive";

struct Outcome {
  bool ok = true;
  std::vector<std::string> reports;
};

Outcome Save(const std::string& path, const AnalysisFileContents& contents) {
  Outcome o;
  o.ok = WriteAnalysisFile(path, contents,
                           [&](const std::string& message) { o.reports.push_back(message); });
  return o;
}

struct RefusalCase {
  const char* name;
  std::function<void(SampleAnalysis&, AnalysisFileContents&)> spoil;
  const char* message;
};

// Contents the file cannot represent are turned away before the disk is touched.
TEST(AnalysisFileFailure, RefusesContentsTheFileCannotHold) {
  const char* kMismatch = "Analysis data does not match its note range and frame count.";
  const char* kGeometry = "Analysis data has an invalid note range or frame count.";
  const std::vector<RefusalCase> cases = {
      {"matrix one cell short",
       [](SampleAnalysis& a, AnalysisFileContents& c) {
         c.levelDb = std::span(a.levels).first(a.levels.size() - 1);
       },
       kMismatch},
      {"matrix one cell long",
       [](SampleAnalysis& a, AnalysisFileContents& c) {
         a.levels.push_back(0);
         c.levelDb = a.levels;
       },
       kMismatch},
      {"energy one frame short",
       [](SampleAnalysis& a, AnalysisFileContents& c) {
         c.frameEnergy = std::span(a.energy).first(3);
       },
       kMismatch},
      {"frame count disagrees with both arrays",
       [](SampleAnalysis&, AnalysisFileContents& c) { c.frameCount = 5; }, kMismatch},
      {"empty note range", [](SampleAnalysis&, AnalysisFileContents& c) { c.highNote = c.lowNote; },
       kGeometry},
      {"negative frame count", [](SampleAnalysis&, AnalysisFileContents& c) { c.frameCount = -4; },
       kGeometry},
      {"cell count beyond the 32-bit field",
       [](SampleAnalysis&, AnalysisFileContents& c) {
         c.lowNote = 0;
         c.highNote = 120;
         c.frameCount = 1 << 22;
       },
       kGeometry},
      {"path of 512 bytes",
       [](SampleAnalysis&, AnalysisFileContents& c) { c.filePath = "/" + std::string(511, 'p'); },
       "Source file path is too long to save (511 bytes at most)."},
      {"path with a NUL inside",
       [](SampleAnalysis&, AnalysisFileContents& c) { c.filePath = std::string("/a\0b.wav", 8); },
       "Source file path contains a NUL byte."},
      {"pitch flag without a pitch track",
       [](SampleAnalysis&, AnalysisFileContents& c) { c.pitchEnabled = 1; },
       "Pitch data does not match the frame count."},
      {"pitch marks fewer than their count",
       [](SampleAnalysis&, AnalysisFileContents& c) {
         static const std::vector<int16_t> track(4, 20);
         static const std::vector<int32_t> marks = {1, 2};
         static const std::vector<int16_t> peaks = {1, 2};
         c.pitchEnabled = 1;
         c.pitchTrack = track;
         c.markCount = 2;
         c.pitchMarks = marks;
         c.periodPeaks = peaks;
       },
       "Pitch marks do not match their count."},
  };
  for (const RefusalCase& r : cases) {
    SCOPED_TRACE(r.name);
    TempDir dir;
    const std::string path = dir / "old.vlx";
    WriteBytes(path, kOldContent);
    SampleAnalysis analysis(60, 61, 4);
    AnalysisFileContents c = analysis.Contents();
    r.spoil(analysis, c);
    const Outcome o = Save(path, c);
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.reports, std::vector<std::string>{r.message});
    const std::vector<uint8_t> kept = ReadBytes(path);
    EXPECT_EQ(std::string(kept.begin(), kept.end()), kOldContent);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.vlx"});
  }
}

TEST(AnalysisFileFailure, ReportsOpenErrorWhenTheFileCannotBeCreated) {
  TempDir dir;
  WriteBytes(dir / "plain", "a file, not a directory");
  const std::vector<std::string> paths = {
      dir / "missing/a.vlx",      // no such directory
      dir / "plain/a.vlx",        // a file where the directory should be
      dir.Path().string() + "/",  // a directory, no file name
      "",
  };
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    const Outcome o = Save(path, SampleAnalysis(60, 61, 4).Contents());
    EXPECT_FALSE(o.ok);
    EXPECT_EQ(o.reports, std::vector<std::string>{"File open error."});
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"plain"});
}

TEST(AnalysisFileFailure, ReportsOpenErrorInAReadOnlyDirectory) {
  TempDir dir;
  fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
  if (std::FILE* probe = std::fopen((dir / "probe").c_str(), "wb")) {
    std::fclose(probe);
    GTEST_SKIP() << "this user can write into read-only directories";
  }
  const Outcome o = Save(dir / "a.vlx", SampleAnalysis(60, 61, 4).Contents());
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.reports, std::vector<std::string>{"File open error."});
}

TEST(AnalysisFileFailure, FailedWriteKeepsTheExistingFile) {
  TempDir dir;
  const std::string path = dir / "old.vlx";
  WriteBytes(path, kOldContent);
  Outcome o;
  {
    FileSizeCap cap(100000);                                 // smaller than the file below
    o = Save(path, SampleAnalysis(12, 120, 40).Contents());  // about 140 kB
  }
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.reports, std::vector<std::string>{"File write error."});
  const std::vector<uint8_t> kept = ReadBytes(path);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), kOldContent);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"old.vlx"});
}

TEST(AnalysisFileFailure, ReportsWriteErrorWhenADirectoryIsInTheWay) {
  TempDir dir;
  fs::create_directories(dir.Path() / "taken.vlx" / "inside");
  const Outcome o = Save(dir / "taken.vlx", SampleAnalysis(60, 61, 4).Contents());
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.reports, std::vector<std::string>{"File write error."});
  EXPECT_TRUE(fs::is_directory(dir.Path() / "taken.vlx" / "inside"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"taken.vlx"});
}

}  // namespace
}  // namespace velmio::test

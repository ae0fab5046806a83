// What an analysis needs, decided before anything is allocated: the file's
// cell limit, the memory, and the longest recording that fits both.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>

#include "engine/AnalysisFootprint.h"

namespace velmio {
namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

FrameGeometry Geometry(int64_t seconds, int rate, int hop, int low = 12, int high = 120) {
  return ComputeFrameGeometry(seconds * rate * 2, 16, 1, hop, low, high, 4);
}

TEST(AnalysisFootprint, LongRecordingsAreRefusedForTheRightReason) {
  struct Case {
    const char* name;
    FrameGeometry g;
    uint64_t available;
    AnalysisFit fit;
  } cases[] = {
      {"3 minutes at 44.1 kHz", Geometry(180, 44100, 256), 4 * kGiB, AnalysisFit::kFits},
      {"10 hours at 22.05 kHz: more cells than the file holds", Geometry(36000, 22050, 128),
       1024 * kGiB, AnalysisFit::kTooManyCells},
      {"1 hour at 44.1 kHz in 1 GiB", Geometry(3600, 44100, 256), kGiB,
       AnalysisFit::kTooLittleMemory},
      {"1 hour at 44.1 kHz in 4 GiB", Geometry(3600, 44100, 256), 4 * kGiB, AnalysisFit::kFits},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckAnalysisFit(c.g, c.available), c.fit);
  }
  // Ten hours at 22.05 kHz and the defaults: the levels alone are 864 rows x
  // 6.2 million frames of four bytes, about 21 GB.
  const AnalysisFootprint f = FootprintOf(Geometry(36000, 22050, 128));
  EXPECT_GT(f.bytes, 21'000'000'000u);
  EXPECT_LT(f.bytes, 35'000'000'000u);
}

// The length named in the refusal fits, and a little more does not.
TEST(AnalysisFootprint, LongestAnalysableLengthIsTheLimit) {
  struct Case {
    int rate, hop, low, high;
    uint64_t available;
  } cases[] = {
      {44100, 256, 12, 120, kGiB},
      {22050, 128, 12, 120, 1024 * kGiB},
      {48000, 278, 48, 72, 64 << 20},
      {96000, 557, 0, 120, 8 * kGiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    const int rows = 8 * (c.high - c.low);
    const int64_t longest = LongestAnalysableFrames(c.hop, rows, c.available);
    ASSERT_GT(longest, 0);
    auto geometry = [&](int64_t frames) {
      return ComputeFrameGeometry(frames * 2, 16, 1, c.hop, c.low, c.high, 4);
    };
    EXPECT_EQ(CheckAnalysisFit(geometry(longest), c.available), AnalysisFit::kFits);
    EXPECT_NE(CheckAnalysisFit(geometry(longest + 64 * int64_t{c.hop}), c.available),
              AnalysisFit::kFits);
  }
}

// An address-space limit (ulimit -v) is part of what is left.
TEST(AnalysisFootprint, AvailableMemoryHonoursTheAddressSpaceLimit) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const uint64_t before = AvailableMemoryBytes();
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    // 256 MiB beyond what is mapped now.
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    uint64_t vmKb = 0;
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
      if (std::sscanf(line, "VmSize: %lu kB", &vmKb) == 1) break;
    }
    if (status != nullptr) std::fclose(status);
    limit.rlim_cur = vmKb * 1024 + (256u << 20);
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    const uint64_t after = AvailableMemoryBytes();
    _exit(after <= (256u << 20) && after > (200u << 20) && after <= before ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace velmio

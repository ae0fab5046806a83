// A fresh rendering of the converted voice reaches the blocks already queued:
// from the moment of the refresh every byte heard is the new rendering's
// byte for the same place in the recording, across a loop wrap too.
#include <gtest/gtest.h>

#include "PlaybackRig.h"

namespace velmio::test {
namespace {

constexpr int32_t kBlock = kPlayBlockBytes;

struct RefreshCase {
  const char* name;
  bool loop;
  int64_t playedBeforeRefresh;  // bytes heard when the new rendering arrives
};

class QueuedRefresh : public ::testing::TestWithParam<RefreshCase> {};

TEST_P(QueuedRefresh, EverySlotGetsItsOwnSourceRange) {
  const RefreshCase& c = GetParam();
  PlaybackRig rig(1, 40 * kBlock);
  rig.converted = PatternSamples(rig.dataSize / 2, 777);
  // Five blocks and 17 frames: the wrap block is short, and after it the
  // queue holds blocks from both ends of the range.
  const int32_t startFrame = 10;
  const int32_t endFrame = startFrame + 5 * 64 + 17;
  if (c.loop) {
    ASSERT_TRUE(rig.engine.ToggleLoop());
    ASSERT_TRUE(rig.engine.SetLoopStart(startFrame));
    ASSERT_TRUE(rig.engine.SetLoopEnd(endFrame));
  }
  rig.engine.Play();
  rig.device.Advance(c.playedBeforeRefresh);
  const std::vector<int16_t> earlier = rig.converted;
  rig.converted = PatternSamples(rig.dataSize / 2, 4242);
  rig.engine.RefreshQueuedBuffers(rig.converted);
  rig.device.Advance(6 * kBlock);
  rig.engine.Stop();

  // Where byte t of the sound comes from in the recording.
  const int64_t start = c.loop ? int64_t{startFrame} * rig.BytesPerFrame() : 0;
  const int64_t length = int64_t{endFrame - startFrame} * rig.BytesPerFrame();
  auto source = [&](int64_t t) { return c.loop ? start + t % length : t; };
  const auto* before = reinterpret_cast<const uint8_t*>(earlier.data());
  const auto* after = reinterpret_cast<const uint8_t*>(rig.converted.data());
  const std::vector<uint8_t>& played = rig.device.Played();
  ASSERT_EQ(played.size(), static_cast<size_t>(c.playedBeforeRefresh + 6 * kBlock));
  int64_t wrong = 0;
  for (int64_t t = 0; t < static_cast<int64_t>(played.size()); ++t) {
    const uint8_t expected = t < c.playedBeforeRefresh ? before[source(t)] : after[source(t)];
    if (played[static_cast<size_t>(t)] != expected) ++wrong;
  }
  EXPECT_EQ(wrong, 0);
}

const RefreshCase kRefreshCases[] = {
    {"Straight", false, 2 * kBlock + 1000},
    {"JustAfterTheWrapBlockWasQueued", true, 2 * kBlock + 1000},
    {"WrapBlockPlaying", true, 5 * kBlock + 300},
    {"SecondPass", true, 7 * kBlock},
};

INSTANTIATE_TEST_SUITE_P(Playback, QueuedRefresh, ::testing::ValuesIn(kRefreshCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmio::test

// Loop playback through the virtual output: the frames heard, the block
// sequence around each wrap, the cursor going back to the loop start on each
// pass, ranges too short to wrap, empty and reversed ranges, and the loop
// commands with their label.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "PlaybackEngineProbe.h"
#include "PlaybackRig.h"

namespace velmio::test {
namespace {

constexpr int32_t kBlock = kPlayBlockBytes;

struct LoopCase {
  const char* name;
  int channels;
  int32_t dataBytes;
  int32_t startFrame;
  int32_t endFrame;
};

// The blocks a loop [start, end) is played in, as the ring queues them:
// whole blocks from the start, then what is left before the end (the wrap
// block, 0 bytes when the range is whole blocks), and again from the start.
std::vector<int32_t> LoopBlockSizes(int64_t start, int64_t end, size_t count) {
  std::vector<int32_t> sizes;
  int64_t at = start;
  while (sizes.size() < count) {
    if (end - at >= kBlock) {
      sizes.push_back(kBlock);
      at += kBlock;
    } else {
      sizes.push_back(static_cast<int32_t>(end - at));
      at = start;
    }
  }
  return sizes;
}

void PrintTo(const LoopCase& c, std::ostream* os) {
  *os << c.name;
}

class LoopPlay : public ::testing::TestWithParam<LoopCase> {
 protected:
  void SetUp() override {
    const LoopCase& c = GetParam();
    rig_ = std::make_unique<PlaybackRig>(c.channels, c.dataBytes);
    ASSERT_TRUE(rig_->engine.ToggleLoop());
    ASSERT_TRUE(rig_->engine.SetLoopStart(c.startFrame));
    ASSERT_TRUE(rig_->engine.SetLoopEnd(c.endFrame));
    start_ = int64_t{c.startFrame} * rig_->BytesPerFrame();
    end_ = int64_t{c.endFrame} * rig_->BytesPerFrame();
  }

  std::unique_ptr<PlaybackRig> rig_;
  int64_t start_ = 0;
  int64_t end_ = 0;
};

// Ranges of four blocks or more: they repeat until stopped.
const LoopCase kRepeatingCases[] = {
    {"StereoFourWholeBlocks", 2, 20 * kBlock, 10, 10 + 4 * 32},
    {"MonoFourBlocksAndAFrame", 1, 12 * kBlock, 3, 3 + 4 * 64 + 1},
    {"StereoSevenBlocksAndABit", 2, 16 * kBlock + 4 * 100, 37, 37 + 7 * 32 + 13},
    {"MonoUpToTheLastWholeFrame", 1, 9 * kBlock + 2 * 700, 0, (9 * kBlock + 2 * 700) / 512},
};

class RepeatingLoop : public LoopPlay {};

TEST_P(RepeatingLoop, PlaysExactlyItsFramesAndTheCursorReturnsOnEachPass) {
  PlaybackEngine& engine = rig_->engine;
  const int64_t length = end_ - start_;
  engine.Play();
  int64_t heard = 0;
  while (heard < 3 * length + length / 2) {
    heard += rig_->device.Advance(7777);
    engine.OnCursorTimer();
    const int64_t expected = start_ + heard % length;
    ASSERT_EQ(engine.CursorFrame(), expected / rig_->BytesPerFrame()) << "after " << heard;
    ASSERT_EQ(PlaybackEngineProbe::LoopWrapCount(engine), heard / length) << "after " << heard;
  }
  std::vector<uint8_t> expected;
  const std::vector<uint8_t> pass = rig_->Bytes(start_, end_);
  while (static_cast<int64_t>(expected.size()) < heard) {
    expected.insert(expected.end(), pass.begin(), pass.end());
  }
  expected.resize(static_cast<size_t>(heard));
  EXPECT_EQ(rig_->device.Played(), expected);
  const std::vector<int32_t>& written = rig_->device.WrittenSizes();
  EXPECT_EQ(written, LoopBlockSizes(start_, end_, written.size()));

  engine.Stop();
  EXPECT_EQ(engine.PlayStartByte(), start_ + heard % length) << "where the sound stopped";
  EXPECT_FALSE(rig_->timerRunning);
  EXPECT_TRUE(rig_->messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Loop, RepeatingLoop, ::testing::ValuesIn(kRepeatingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Ranges shorter than the four primed slots: played once, then playback ends.
const LoopCase kOnceCases[] = {
    {"StereoABlockAndAQuarter", 2, 10 * kBlock, 5, 5 + 40},
    {"MonoOneFrame", 1, 10 * kBlock, 17, 18},
    {"MonoTwoWholeBlocks", 1, 10 * kBlock, 64, 64 + 2 * 64},
    {"StereoJustUnderFourBlocks", 2, 10 * kBlock, 1, 1 + 4 * 32 - 1},
};

class ShortLoop : public LoopPlay {};

TEST_P(ShortLoop, PlaysOnceAndStops) {
  rig_->engine.Play();
  rig_->RunOut();
  EXPECT_EQ(rig_->device.Played(), rig_->Bytes(start_, end_));
  EXPECT_EQ(rig_->engine.State(), PlayState::kStopped);
  EXPECT_FALSE(rig_->timerRunning);
  EXPECT_EQ(rig_->engine.PlayStartByte(), end_);
}

INSTANTIATE_TEST_SUITE_P(Loop, ShortLoop, ::testing::ValuesIn(kOnceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Loop, EmptyRangeEndsAtOnceWithoutTouchingTheOutput) {
  PlaybackRig rig(2, 10 * kBlock);
  rig.engine.ToggleLoop();
  rig.engine.SetLoopStart(40);
  rig.engine.SetLoopEnd(40);
  rig.engine.Play();
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  EXPECT_TRUE(rig.engine.CanPlay());
  EXPECT_EQ(rig.device.OpenCount(), 0);
  EXPECT_FALSE(rig.timerRunning);
  EXPECT_TRUE(rig.messages.empty());
  EXPECT_EQ(rig.engine.PlayStartByte(), 40 * 1024);
}

TEST(Loop, ReversedRangeIsRefusedWithItsMessage) {
  PlaybackRig rig(1, 10 * kBlock);
  rig.engine.ToggleLoop();
  rig.engine.SetLoopStart(50);
  rig.engine.SetLoopEnd(49);
  PlaybackEngineProbe::PlayStartByte(rig.engine) = 1234;
  rig.engine.Play();
  EXPECT_EQ(rig.messages,
            std::vector<std::string>{"LOOP再生の開始位置が終了位置よりも後ろにあります。"});
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  EXPECT_EQ(rig.engine.PlayStartByte(), 1234);
  EXPECT_EQ(rig.device.OpenCount(), 0);
}

TEST(Loop, PointsAreStoredOnlyWhileStoppedAndInsideTheData) {
  PlaybackRig rig(2, 10 * kBlock + 1024 * 3);  // 323 frames
  PlaybackEngine& engine = rig.engine;
  struct Case {
    int32_t frame;
    bool stored;
  };
  for (const Case c :
       {Case{0, true}, Case{322, true}, Case{323, false}, Case{-1, false}, Case{1 << 30, false}}) {
    PlaybackEngineProbe::LoopStartFrame(engine) = PlaybackEngineProbe::LoopEndFrame(engine) = 7;
    EXPECT_EQ(engine.SetLoopStart(c.frame), c.stored) << c.frame;
    EXPECT_EQ(engine.SetLoopEnd(c.frame), c.stored) << c.frame;
    EXPECT_EQ(engine.LoopStartFrame(), c.stored ? c.frame : 7);
    EXPECT_EQ(engine.LoopEndFrame(), c.stored ? c.frame : 7);
  }
  engine.Play();
  EXPECT_FALSE(engine.SetLoopStart(3)) << "not while playing";
}

TEST(Loop, TurningTheLoopOffMovesTheNextStartToTheCursor) {
  PlaybackRig rig(1, 10 * kBlock);
  PlaybackEngine& engine = rig.engine;
  PlaybackEngineProbe::CursorFrame(engine) = 100;
  PlaybackEngineProbe::PlayStartByte(engine) = 0;
  ASSERT_TRUE(engine.ToggleLoop());
  EXPECT_EQ(engine.PlayStartByte(), 0) << "turning it on moves nothing";
  ASSERT_TRUE(engine.ToggleLoop());
  EXPECT_EQ(engine.PlayStartByte(), 100 * 512);
  PlaybackEngineProbe::CursorFrame(engine) = 640;  // at the end of the data: the start stays
  engine.ToggleLoop();
  engine.ToggleLoop();
  EXPECT_EQ(engine.PlayStartByte(), 100 * 512);
}

TEST(Loop, LabelShowsTheRangeInMinutesSecondsAndTenths) {
  PlaybackRig rig(2, 12000 * 1024);  // 176400 bytes per second, 1024 per frame
  PlaybackEngine& engine = rig.engine;
  PlaybackEngineProbe::LoopStartFrame(engine) = 172;  // 998 ms
  PlaybackEngineProbe::LoopEndFrame(engine) = 10336;  // 60000 ms
  EXPECT_EQ(engine.LoopLabel(), "");
  engine.ToggleLoop();
  EXPECT_EQ(engine.LoopLabel(), "LOOP  0:00.9～1:00.0");
  PlaybackEngineProbe::LoopStartFrame(engine) = 7000;  // 40634 ms
  PlaybackEngineProbe::LoopEndFrame(engine) = 11999;   // 69654 ms
  EXPECT_EQ(engine.LoopLabel(), "LOOP  0:40.6～1:09.6");
}

}  // namespace
}  // namespace velmio::test

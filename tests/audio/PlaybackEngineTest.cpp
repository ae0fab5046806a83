// Playback without a loop through the virtual output: what is heard, where a
// stopped or paused play resumes, the cursor timer, the converted-voice and
// equalizer paths, and device failures that must neither hang nor repeat.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "PlaybackEngineProbe.h"
#include "PlaybackRig.h"
#include "audio/Equalizer.h"

namespace velmio::test {
namespace {

constexpr int32_t kBlock = kPlayBlockBytes;

struct WholeCase {
  const char* name;
  int channels;
  int32_t dataBytes;
  int32_t startFrame;
};

// Ends on a full block (a final 0-byte block), inside the priming (a range
// used up by fewer than four slots, with and without a 0-byte last slot),
// and off any block boundary.
const WholeCase kWholeCases[] = {
    {"MonoOffBoundary", 1, 10 * kBlock + 1234, 0},
    {"StereoEndsOnBlock", 2, 6 * kBlock, 0},
    {"StereoTwoBlocksExactly", 2, 2 * kBlock, 0},
    {"MonoPrimingEndsShort", 1, 3 * kBlock + 2 * 777, 5},
    {"StereoOneBlockLeft", 2, 9 * kBlock, 8 * kBlock / 1024},
    {"StereoFromLaterFrame", 2, 12 * kBlock + 4 * 999, 77},
};

void PrintTo(const WholeCase& c, std::ostream* os) {
  *os << c.name;
}

class WholePlay : public ::testing::TestWithParam<WholeCase> {};

TEST_P(WholePlay, HearsTheRecordingFromTheStartToItsEndAndStops) {
  const WholeCase& c = GetParam();
  PlaybackRig rig(c.channels, c.dataBytes);
  const int64_t start = int64_t{c.startFrame} * rig.BytesPerFrame();
  ASSERT_TRUE(rig.engine.MoveStartTo(c.startFrame));
  rig.engine.Play();
  EXPECT_EQ(
      rig.engine.State() == PlayState::kPlaying || rig.engine.State() == PlayState::kLastQueued,
      true);
  EXPECT_TRUE(rig.timerRunning);
  EXPECT_EQ(rig.revealed, std::vector<int32_t>{c.startFrame});
  rig.RunOut();

  EXPECT_EQ(rig.device.Played(), rig.Bytes(start, c.dataBytes));
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped) << "playback must end, not wait in state 3";
  EXPECT_FALSE(rig.timerRunning);
  EXPECT_EQ(rig.engine.PlayStartByte(), c.dataBytes);
  EXPECT_TRUE(rig.messages.empty());
  EXPECT_EQ(rig.device.OpenedFormat().nBlockAlign, c.channels * 2);
}

INSTANTIATE_TEST_SUITE_P(Playback, WholePlay, ::testing::ValuesIn(kWholeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Playback, RefusesWithoutSoundWhenLessThanOneBlockIsLeft) {
  PlaybackRig rig(2, 4 * kBlock);
  for (int32_t start : {4 * kBlock - 1024, 3 * kBlock + 1024}) {
    PlaybackEngineProbe::PlayStartByte(rig.engine) = start;
    rig.engine.Play();
    EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
    EXPECT_EQ(rig.device.OpenCount(), 0);
    EXPECT_FALSE(rig.timerRunning);
  }
  EXPECT_TRUE(rig.messages.empty());
  // After the end has been reached, Rewind makes Play work again.
  EXPECT_TRUE(rig.engine.Rewind());
  rig.engine.Play();
  EXPECT_EQ(rig.engine.State(), PlayState::kPlaying);
}

TEST(Playback, StopPauseAndPlayResumeWhereTheSoundStopped) {
  PlaybackRig rig(2, 20 * kBlock + 4096);
  rig.engine.Play();
  rig.device.Advance(50000 + 4);
  rig.engine.Stop();
  EXPECT_EQ(rig.engine.PlayStartByte(), 50004);
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  EXPECT_FALSE(rig.timerRunning);
  EXPECT_EQ(rig.device.QueuedBlocks(), 0);

  rig.engine.Play();
  rig.device.Advance(3 * kBlock + 100);
  rig.engine.Pause();
  EXPECT_EQ(rig.engine.State(), PlayState::kPaused);
  EXPECT_TRUE(rig.timerRunning) << "the cursor timer keeps running while paused";
  EXPECT_EQ(rig.device.Advance(kBlock), 0) << "nothing is heard while paused";
  const size_t written = rig.device.WrittenSizes().size();
  rig.engine.Play();
  EXPECT_EQ(rig.engine.State(), PlayState::kPlaying);
  EXPECT_EQ(rig.device.WrittenSizes().size(), written) << "resuming requeues nothing";
  rig.device.Advance(2 * kBlock + 8);
  rig.engine.Pause();
  rig.engine.Stop();  // stop while paused keeps what was heard
  const int32_t heard = 50004 + 3 * kBlock + 100 + 2 * kBlock + 8;
  EXPECT_EQ(rig.engine.PlayStartByte(), heard);

  rig.engine.Play();
  rig.RunOut();
  EXPECT_EQ(rig.device.Played(), rig.Bytes(0, rig.dataSize))
      << "the pieces join without gap or repeat";
  EXPECT_EQ(rig.engine.PlayStartByte(), rig.dataSize);
}

TEST(Playback, CommandsOutsideTheirStatesChangeNothing) {
  PlaybackRig rig(1, 8 * kBlock);
  PlaybackEngineProbe::State(rig.engine) = PlayState::kNothingPlayable;  // nothing playable yet
  rig.engine.Play();
  rig.engine.Stop();
  EXPECT_EQ(rig.engine.State(), PlayState::kNothingPlayable);
  EXPECT_EQ(rig.device.OpenCount(), 0);

  PlaybackEngineProbe::State(rig.engine) = PlayState::kStopped;
  rig.engine.Pause();
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  rig.engine.Play();
  rig.engine.Play();  // a second Play while playing starts nothing new
  EXPECT_EQ(rig.device.OpenCount(), 1);
  EXPECT_FALSE(rig.engine.Rewind());
  EXPECT_FALSE(rig.engine.ToggleLoop());
  EXPECT_FALSE(rig.engine.MoveStartTo(3));
  EXPECT_EQ(rig.engine.LoopEnabled(), false);
}

TEST(Playback, CursorTimerFollowsTheHeardPositionAndReportsOnlyMoves) {
  PlaybackRig rig(2, 30 * kBlock);  // 176400 bytes per second, 1024 per frame
  ASSERT_TRUE(rig.engine.MoveStartTo(100));
  rig.engine.Play();
  for (int64_t step : {0, 1000, 1023, 1, 176400, 300000}) {
    rig.device.Advance(step);
    const int64_t p = 100 * 1024 + *rig.device.BytesPlayed();
    const CursorTick tick = rig.engine.OnCursorTimer();
    EXPECT_EQ(tick.timeMs, p * 1000 / 176400);
    EXPECT_EQ(rig.engine.CursorFrame(), p / 1024);
  }
  EXPECT_FALSE(rig.engine.OnCursorTimer().moved) << "no move, no redraw";
  rig.device.Advance(1024);
  EXPECT_TRUE(rig.engine.OnCursorTimer().moved);

  // A device that cannot tell its position leaves the cursor, and the next
  // play starts from the beginning.
  rig.device.m_knowsPosition = false;
  const int32_t cursor = rig.engine.CursorFrame();
  rig.device.Advance(5000);
  EXPECT_EQ(rig.engine.OnCursorTimer().timeMs, -1);
  EXPECT_EQ(rig.engine.CursorFrame(), cursor);
  rig.engine.Stop();
  EXPECT_EQ(rig.engine.PlayStartByte(), 0);
}

TEST(Playback, AfterTheEndTheCursorStaysAtTheLastReportedPosition) {
  PlaybackRig rig(1, 5 * kBlock);
  rig.engine.Play();
  rig.device.Advance(5 * kBlock - 3000);
  rig.engine.OnCursorTimer();
  const int32_t last = rig.engine.CursorFrame();
  rig.RunOut();
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  EXPECT_EQ(rig.engine.CursorFrame(), last);
  EXPECT_EQ(rig.engine.PlayStartByte(), 5 * kBlock);
  rig.engine.Play();
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped) << "at the end Play does nothing";
}

TEST(Playback, TakesEachBlockFromTheConvertedVoiceWhileOneIsOffered) {
  PlaybackRig rig(1, 8 * kBlock);
  rig.converted = PatternSamples(rig.dataSize / 2, 999);
  rig.engine.Play();
  EXPECT_EQ(rig.renders, 1) << "the voice is rendered before the first block";
  // Four blocks are primed from the voice; the choice is made anew per
  // block, so once the voice is withdrawn the next blocks are the recording's.
  rig.device.Advance(kBlock - 2);
  rig.converted.clear();
  rig.RunOut();
  const std::vector<int16_t> voiceSamples = PatternSamples(rig.dataSize / 2, 999);
  const auto* voice = reinterpret_cast<const uint8_t*>(voiceSamples.data());
  std::vector<uint8_t> expected(voice, voice + 4 * kBlock);
  const std::vector<uint8_t> rest = rig.Bytes(4 * kBlock, rig.dataSize);
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(rig.device.Played(), expected);
}

TEST(Playback, BlocksPassThroughTheEqualizerOnlyWhileItIsEnabled) {
  PlaybackRig rig(2, 7 * kBlock + 4 * 300);
  Equalizer bank(44100.0f);
  EqBandGains gains{};
  gains[4] = 12;
  gains[7] = -20;
  bank.UpdateFilters(gains, 2.0f);
  rig.engine.SetEqualizer(&bank);
  rig.engine.Play();
  rig.RunOut();
  EXPECT_EQ(rig.device.Played(), rig.Bytes(0, rig.dataSize)) << "present but off: untouched";

  // On: what is heard is the recording filtered block by block, the filter
  // memory running on from block to block.
  bank.m_enabled = 1;
  Equalizer twin(44100.0f);
  twin.UpdateFilters(gains, 2.0f);
  std::vector<int16_t> expected = rig.samples;
  for (int32_t at = 0; at < rig.dataSize; at += kBlock) {
    twin.ProcessBlock(expected.data() + at / 2, std::min(kBlock, rig.dataSize - at), 2);
  }
  rig.device.ClearRecord();
  rig.engine.Rewind();
  rig.engine.Play();
  rig.RunOut();
  const auto* e = reinterpret_cast<const uint8_t*>(expected.data());
  EXPECT_EQ(rig.device.Played(), std::vector<uint8_t>(e, e + rig.dataSize));
}

struct FailureCase {
  const char* name;
  int openResult;
  int writesBeforeFailure;
  const char* message;
};

// A failing output reports once and leaves the program usable: stopped, PLAY
// enabled, no timer running, nothing left waiting for a block that never comes.
const FailureCase kFailureCases[] = {
    {"OpenFails", 2, -1, "waveOutOpen error !"},
    {"FirstWriteFails", 0, 0, "waveOutWrite error !"},
    {"LastPrimedWriteFails", 0, 3, "waveOutWrite error !"},
    {"RefillWriteFails", 0, 6, "waveOutWrite error !"},
};

void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class DeviceFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DeviceFailure, ReportsOnceAndEndsStopped) {
  const FailureCase& c = GetParam();
  PlaybackRig rig(2, 12 * kBlock);
  rig.device.m_openResult = c.openResult;
  rig.device.m_writesBeforeFailure = c.writesBeforeFailure;
  rig.engine.Play();
  rig.RunOut();
  EXPECT_EQ(rig.messages, std::vector<std::string>{c.message});
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  EXPECT_TRUE(rig.engine.CanPlay());
  EXPECT_FALSE(rig.timerRunning);
  EXPECT_EQ(rig.engine.PlayStartByte(), static_cast<int32_t>(rig.device.Played().size()))
      << "the next play resumes after what was heard";
}

INSTANTIATE_TEST_SUITE_P(Playback, DeviceFailure, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Playback, ReleasesTheOutputWhenDestroyedWhilePlaying) {
  VirtualWaveOutDevice device;
  {
    std::vector<int16_t> samples = PatternSamples(6 * kBlock / 2);
    PlaybackHooks hooks;
    WaveFormat format;
    MakePcm16Format(format, 1, 44100);
    hooks.recording = [&] { return PlaybackSource{samples, 6 * kBlock, format, kHop}; };
    PlaybackEngine engine(device, hooks);
    engine.TakeOver(1, 44100);
    engine.Play();
    device.Advance(1000);
  }
  EXPECT_FALSE(device.IsOpen());
  EXPECT_EQ(device.Advance(kBlock), 0);  // and no handler reaches the gone engine
}

}  // namespace
}  // namespace velmio::test

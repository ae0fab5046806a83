// Slower, faster and transposed playback through the engine on the virtual
// output: what is heard, where the cursor says it is, loops, and changes
// while playing. At 100 % / 0 / 0 the existing playback tests hold unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <vector>

#include "PlaybackEngineProbe.h"
#include "PlaybackRig.h"
#include "SignalMeasures.h"

namespace velmio::test {
namespace {

constexpr int kRate = 44100;

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& bytes, size_t from = 0) {
  std::vector<int16_t> samples((bytes.size() - std::min(from, bytes.size())) / 2);
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + from, samples.size() * 2);
  return samples;
}

// A rig whose recording is a sine at `hz` for `seconds`.
struct SineRig {
  SineRig(int channels, double seconds, double hz) : rig(channels, Bytes(channels, seconds)) {
    rig.samples = SineSamples(rig.dataSize / 2 / channels, channels, hz, kRate);
  }
  static int32_t Bytes(int channels, double seconds) {
    return static_cast<int32_t>(seconds * kRate) * 2 * channels;
  }
  PlaybackRig rig;
};

struct WholeStretchCase {
  double speedPercent;
  int semitones;
  int cents;
  int channels;
};

void PrintTo(const WholeStretchCase& c, std::ostream* os) {
  *os << c.speedPercent << "% " << c.semitones << " st " << c.cents << " ct, " << c.channels
      << " ch";
}

class WholeStretchedPlay : public ::testing::TestWithParam<WholeStretchCase> {};

TEST_P(WholeStretchedPlay, LastsAsTheSpeedSaysAndSoundsInTheChosenKey) {
  const WholeStretchCase c = GetParam();
  constexpr double kHz = 220.0;
  SineRig sine(c.channels, 2.0, kHz);
  PlaybackRig& rig = sine.rig;
  const StretchSettings settings{c.speedPercent, c.semitones, c.cents};
  rig.engine.SetStretch(settings);
  rig.engine.Play();
  rig.RunOut();
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
  EXPECT_FALSE(rig.timerRunning);
  const std::vector<int16_t> out = AsSamples(rig.device.Played());
  const double frames = static_cast<double>(out.size()) / c.channels;
  const double sourceFrames = static_cast<double>(rig.dataSize) / rig.format.nBlockAlign;
  EXPECT_NEAR(frames / sourceFrames, settings.TimeRatio(), 0.005 * settings.TimeRatio());
  const auto mid = static_cast<int64_t>(frames / 2);
  const double hz = MeasuredFrequency(out, c.channels, kRate, mid - kRate / 4, mid + kRate / 4);
  EXPECT_NEAR(hz / (kHz * settings.PitchScale()), 1.0, 0.01);
  // The end of the data was heard: the next play starts there.
  EXPECT_NEAR(rig.engine.PlayStartByte(), rig.dataSize, rig.format.nBlockAlign * 512);
}

INSTANTIATE_TEST_SUITE_P(Playback, WholeStretchedPlay,
                         ::testing::Values(WholeStretchCase{50, 0, 0, 2},
                                           WholeStretchCase{100, -2, 0, 1},
                                           WholeStretchCase{67, 5, 25, 1},
                                           WholeStretchCase{160, 0, -50, 2}));

// Back at 100 % / 0 / 0 the stretcher is out of the way: the recording's own bytes.
TEST(StretchedPlayback, BackAtTheDefaultsPlaysTheRecordingsOwnBytes) {
  PlaybackRig rig(2, 12 * kPlayBlockBytes + 4 * 77);
  rig.engine.SetStretch(StretchSettings{50, 3, 0});
  rig.engine.SetStretch(StretchSettings{});
  EXPECT_TRUE(rig.engine.Stretch().IsBypass());
  rig.engine.Play();
  rig.RunOut();
  EXPECT_EQ(rig.device.Played(), rig.Bytes(0, rig.dataSize));
  EXPECT_EQ(rig.device.WrittenSizes().front(), kPlayBlockBytes);
}

struct CursorCase {
  double speedPercent;
  int channels;
};

void PrintTo(const CursorCase& c, std::ostream* os) {
  *os << c.speedPercent << "%, " << c.channels << " ch";
}

class StretchedCursor : public ::testing::TestWithParam<CursorCase> {};

// A click in the recording: when the device has played up to where the
// click is heard, the cursor and the time read-out are at the click.
TEST_P(StretchedCursor, IsWhereTheSoundComesFrom) {
  const CursorCase c = GetParam();
  PlaybackRig rig(c.channels, 3 * kRate * 2 * c.channels);
  std::fill(rig.samples.begin(), rig.samples.end(), int16_t{0});
  constexpr int32_t kClickFrame = 6 * kHop + kRate;  // just after 1 s
  // A 10 ms burst at 2 kHz: short, and well inside what any speed keeps.
  const std::vector<int16_t> burst = SineSamples(kRate / 100, c.channels, 2000.0, kRate, 24000.0);
  std::copy(burst.begin(), burst.end(), rig.samples.begin() + kClickFrame * c.channels);
  rig.engine.SetStretch(StretchSettings{c.speedPercent, 0, 0});
  rig.engine.Play();
  // Play in small steps until the click has been heard.
  const int32_t align = rig.format.nBlockAlign;
  int64_t clickAt = -1;
  while (clickAt < 0 && rig.device.Advance(256 * align) > 0) {
    const std::vector<int16_t> out = AsSamples(rig.device.Played());
    for (size_t i = 0; i < out.size(); i += c.channels) {
      if (std::abs(out[i]) > 8000) {
        clickAt = static_cast<int64_t>(i / c.channels);
        break;
      }
    }
  }
  ASSERT_GT(clickAt, 0);
  // Again from the start, to exactly where the click is heard.
  rig.engine.Stop();
  ASSERT_TRUE(rig.engine.Rewind());
  rig.engine.Play();
  rig.device.Advance(clickAt * align);
  const CursorTick tick = rig.engine.OnCursorTimer();
  // Within 10 ms of the click in the recording.
  EXPECT_NEAR(rig.engine.CursorFrame(), kClickFrame / kHop, 0.010 * kRate / kHop);
  EXPECT_NEAR(tick.timeMs, kClickFrame * 1000.0 / kRate, 10.0);
  rig.engine.Stop();
}

INSTANTIATE_TEST_SUITE_P(Playback, StretchedCursor,
                         ::testing::Values(CursorCase{50, 2}, CursorCase{200, 1},
                                           CursorCase{75, 1}));

// A loop at half speed: the sound never leaves the range (the recording is
// silent outside it) and the cursor goes back to the loop start once per
// pass, each pass lasting twice the range.
TEST(StretchedPlayback, LoopWrapsAtTheLoopFrames) {
  PlaybackRig rig(2, 4 * kRate * 4);
  constexpr int32_t kStart = 40;
  constexpr int32_t kEnd = 40 + 60;  // 0.35 s
  std::fill(rig.samples.begin(), rig.samples.end(), int16_t{0});
  const std::vector<int16_t> tone = SineSamples((kEnd - kStart) * kHop, 2, 330.0, kRate);
  std::copy(tone.begin(), tone.end(), rig.samples.begin() + kStart * kHop * 2);
  ASSERT_TRUE(rig.engine.ToggleLoop());
  ASSERT_TRUE(rig.engine.SetLoopStart(kStart));
  ASSERT_TRUE(rig.engine.SetLoopEnd(kEnd));
  rig.engine.SetStretch(StretchSettings{50, 0, 0});
  rig.engine.Play();
  constexpr int32_t kStep = 512;  // output frames between timer ticks
  std::vector<int64_t> wrapsAt;
  int32_t last = kStart;
  int64_t output = 0;
  for (int i = 0; i < 400; ++i) {
    output += rig.device.Advance(kStep * 4) / 4;
    rig.engine.OnCursorTimer();
    const int32_t frame = rig.engine.CursorFrame();
    ASSERT_GE(frame, kStart) << "after " << output << " frames";
    ASSERT_LT(frame, kEnd) << "after " << output << " frames";
    if (frame < last) wrapsAt.push_back(output);
    last = frame;
  }
  ASSERT_GE(wrapsAt.size(), 5u);
  const double pass = 2.0 * (kEnd - kStart) * kHop;
  for (size_t i = 0; i < wrapsAt.size(); ++i)
    EXPECT_NEAR(static_cast<double>(wrapsAt[i]), pass * (i + 1), kStep + 1) << "pass " << i;
  // No silence: 20 ms windows after the start all carry the tone.
  const std::vector<int16_t> out = AsSamples(rig.device.Played());
  const size_t window = 882 * 2;
  for (size_t from = 4 * window; from + window <= out.size(); from += window) {
    const auto peak =
        std::max_element(out.begin() + from, out.begin() + from + window,
                         [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
    ASSERT_GT(std::abs(*peak), 3000) << "silent at output frame " << from / 2;
  }
  rig.engine.Stop();
  EXPECT_GE(rig.engine.PlayStartByte(), kStart * rig.BytesPerFrame());
  EXPECT_LT(rig.engine.PlayStartByte(), kEnd * rig.BytesPerFrame());
}

// A change while playing is heard at once: the queue is refilled from the
// sound being heard, and the cursor does not jump.
TEST(StretchedPlayback, ChangeWhilePlayingIsHeardAtOnce) {
  SineRig sine(1, 4.0, 220.0);
  PlaybackRig& rig = sine.rig;
  rig.engine.Play();
  rig.device.Advance(kRate * 2);  // 1 s at 100 %
  rig.engine.OnCursorTimer();
  const int32_t before = rig.engine.CursorFrame();
  const size_t changeAt = rig.device.Played().size();
  rig.engine.SetStretch(StretchSettings{50, 12, 0});
  EXPECT_EQ(rig.engine.State(), PlayState::kPlaying);
  rig.device.Advance(kRate / 5 * 2);  // 0.2 s
  rig.engine.OnCursorTimer();
  EXPECT_NEAR(rig.engine.CursorFrame(), before + 0.1 * kRate / kHop, 2);
  const std::vector<int16_t> after = AsSamples(rig.device.Played(), changeAt);
  EXPECT_NEAR(MeasuredFrequency(after, 1, kRate, kRate / 20, kRate / 5), 440.0, 4.4);
}

// Back to the defaults while a stretched loop plays: from the sound being
// heard on, the recording's own bytes, wrapping at the loop end, and the
// cursor back at the start on the next pass.
TEST(StretchedPlayback, BackToTheDefaultsMidLoopPlaysTheRecordingsBytes) {
  PlaybackRig rig(2, 40 * kPlayBlockBytes);
  const int32_t perFrame = rig.BytesPerFrame();
  constexpr int32_t kStart = 10;
  constexpr int32_t kEnd = 10 + 4 * 32 + 9;
  ASSERT_TRUE(rig.engine.ToggleLoop());
  ASSERT_TRUE(rig.engine.SetLoopStart(kStart));
  ASSERT_TRUE(rig.engine.SetLoopEnd(kEnd));
  rig.engine.SetStretch(StretchSettings{80, 0, 0});
  rig.engine.Play();
  rig.device.Advance(30000 * 4);
  const size_t changeAt = rig.device.Played().size();
  rig.engine.SetStretch(StretchSettings{});
  const int32_t from = rig.engine.PlayStartByte();
  ASSERT_GT(from, kStart * perFrame);
  ASSERT_LT(from, kEnd * perFrame);
  const int64_t toEnd = int64_t{kEnd} * perFrame - from;
  const int64_t length = int64_t{kEnd - kStart} * perFrame;
  rig.device.Advance(toEnd + 2 * length + 1000);
  std::vector<uint8_t> expected = rig.Bytes(from, int64_t{kEnd} * perFrame);
  for (int pass = 0; pass < 2; ++pass) {
    const std::vector<uint8_t> range =
        rig.Bytes(int64_t{kStart} * perFrame, int64_t{kEnd} * perFrame);
    expected.insert(expected.end(), range.begin(), range.end());
  }
  const std::vector<uint8_t> heard(rig.device.Played().begin() + static_cast<int64_t>(changeAt),
                                   rig.device.Played().begin() + static_cast<int64_t>(changeAt) +
                                       static_cast<int64_t>(expected.size()));
  EXPECT_TRUE(heard == expected);
  rig.engine.OnCursorTimer();
  EXPECT_EQ(rig.engine.CursorFrame(), kStart + 1000 / perFrame);
}

TEST(StretchedPlayback, ChangeWhilePausedStaysPaused) {
  PlaybackRig rig(2, 20 * kPlayBlockBytes);
  rig.engine.Play();
  rig.device.Advance(3 * kPlayBlockBytes);
  rig.engine.Pause();
  rig.engine.SetStretch(StretchSettings{50, 0, 0});
  EXPECT_EQ(rig.engine.State(), PlayState::kPaused);
  EXPECT_TRUE(rig.device.IsPaused());
  EXPECT_EQ(rig.device.Advance(1000), 0);
  EXPECT_EQ(rig.engine.PlayStartByte(), 3 * kPlayBlockBytes);
  rig.engine.Play();
  EXPECT_EQ(rig.engine.State(), PlayState::kPlaying);
  EXPECT_GT(rig.device.Advance(1000), 0);
  rig.engine.Stop();
}

// Stop at half speed: the next play starts at the sound last heard.
TEST(StretchedPlayback, StopKeepsTheHeardSourcePosition) {
  PlaybackRig rig(1, 20 * kPlayBlockBytes);
  rig.engine.SetStretch(StretchSettings{50, 0, 0});
  rig.engine.Play();
  rig.device.Advance(2 * 20000);
  rig.engine.Stop();
  EXPECT_NEAR(rig.engine.PlayStartByte(), 2 * 10000, 2);
  EXPECT_EQ(rig.engine.State(), PlayState::kStopped);
}

}  // namespace
}  // namespace velmio::test

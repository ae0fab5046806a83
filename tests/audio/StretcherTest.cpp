// The stretcher: the length follows the speed, the pitch follows only the
// transposition, and the output lines up with the input from the first frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

#include "SignalMeasures.h"
#include "audio/Stretcher.h"

namespace velmio::test {
namespace {

constexpr int kRate = 44100;

// A whole recording as the stretcher's input.
class VectorInput final : public StretchInput {
 public:
  VectorInput(const std::vector<int16_t>& samples, int channels)
      : m_samples(samples), m_channels(channels) {}
  int32_t Read(int16_t* out, int32_t maxFrames) override {
    const int64_t frames = static_cast<int64_t>(m_samples.size()) / m_channels;
    const auto n = static_cast<int32_t>(std::min<int64_t>(maxFrames, frames - m_next));
    std::copy_n(m_samples.begin() + m_next * m_channels, n * m_channels, out);
    m_next += n;
    return n;
  }

 private:
  const std::vector<int16_t>& m_samples;
  int m_channels;
  int64_t m_next = 0;
};

std::vector<int16_t> StretchAll(const std::vector<int16_t>& samples, int channels,
                                const StretchSettings& settings) {
  Stretcher stretcher(channels, kRate);
  stretcher.Start(settings);
  VectorInput input(samples, channels);
  std::vector<int16_t> out;
  std::vector<int16_t> block(4096 * static_cast<size_t>(channels));
  for (;;) {
    const int32_t n = stretcher.Render(block.data(), 4096, input);
    out.insert(out.end(), block.begin(), block.begin() + n * channels);
    if (n < 4096) break;
  }
  return out;
}

struct StretchCase {
  double speedPercent;
  int semitones;
  int cents;
  int channels;
};

void PrintTo(const StretchCase& c, std::ostream* os) {
  *os << c.speedPercent << "% " << c.semitones << " st " << c.cents << " ct, " << c.channels
      << " ch";
}

class StretcherCases : public ::testing::TestWithParam<StretchCase> {};

TEST_P(StretcherCases, LengthFollowsSpeedPitchFollowsTransposition) {
  const StretchCase c = GetParam();
  const StretchSettings settings{c.speedPercent, c.semitones, c.cents};
  constexpr int32_t kFrames = 3 * kRate;
  constexpr double kHz = 220.0;
  const std::vector<int16_t> in = SineSamples(kFrames, c.channels, kHz, kRate);
  const std::vector<int16_t> out = StretchAll(in, c.channels, settings);
  const double outFrames = static_cast<double>(out.size()) / c.channels;
  // The length is what users time passages by: within half a percent.
  EXPECT_NEAR(outFrames / kFrames, settings.TimeRatio(), 0.005 * settings.TimeRatio());
  // Away from the ends, the pitch is the source's times the transposition,
  // within a percent (a sixth of a semitone).
  const auto mid = static_cast<int64_t>(outFrames / 2);
  const double hz = MeasuredFrequency(out, c.channels, kRate, mid - kRate / 2, mid + kRate / 2);
  EXPECT_NEAR(hz / (kHz * settings.PitchScale()), 1.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Settings, StretcherCases,
                         ::testing::Values(StretchCase{50, 0, 0, 1}, StretchCase{50, 0, 0, 2},
                                           StretchCase{25, 0, 0, 1}, StretchCase{200, 0, 0, 2},
                                           StretchCase{100, -2, 0, 1}, StretchCase{100, 12, 0, 2},
                                           StretchCase{75, 3, -50, 2}));

// Output frame n sounds source frame n × speed: a click stays where the
// speed puts it, which is what the cursor relies on.
TEST(Stretcher, OutputLinesUpWithTheInput) {
  constexpr int32_t kFrames = 2 * kRate;
  constexpr int32_t kClick = kRate / 2;
  std::vector<int16_t> in(kFrames, 0);
  for (int i = 0; i < 64; ++i) in[kClick + i] = static_cast<int16_t>(i % 2 == 0 ? 20000 : -20000);
  const std::vector<int16_t> out = StretchAll(in, 1, StretchSettings{50, 0, 0});
  const auto loudest = std::max_element(
      out.begin(), out.end(), [](int16_t a, int16_t b) { return std::abs(a) < std::abs(b); });
  const double at = static_cast<double>(loudest - out.begin());
  // Within 10 ms of twice the click's time.
  EXPECT_NEAR(at, 2.0 * kClick, 0.010 * kRate);
}

TEST(Stretcher, SpeedStepsOnTheFivePercentGrid) {
  const struct {
    double from;
    int direction;
    double to;
  } cases[] = {{100, -1, 95},       {100, 1, 105},       {67, -1, 65}, {67, 1, 70},
               {25, -1, 25},        {200, 1, 200},       {27, -1, 25}, {198, 1, 200},
               {50.0000001, 1, 55}, {49.9999999, -1, 45}};
  for (const auto& c : cases)
    EXPECT_EQ(StepSpeed(c.from, c.direction), c.to) << c.from << " " << c.direction;
}

TEST(Stretcher, ClampKeepsSettingsInRange) {
  const StretchSettings wild = ClampStretch(StretchSettings{1000.0, -40, 99});
  EXPECT_EQ(wild, (StretchSettings{200.0, -12, 50}));
  EXPECT_EQ(ClampStretch(StretchSettings{10.0, 40, -99}), (StretchSettings{25.0, 12, -50}));
  EXPECT_EQ(ClampStretch(StretchSettings{std::nan(""), 0, 0}).speedPercent, 100.0);
  EXPECT_TRUE(StretchSettings{}.IsBypass());
  EXPECT_FALSE((StretchSettings{100.0, 0, 1}).IsBypass());
}

}  // namespace
}  // namespace velmio::test

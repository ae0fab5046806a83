#include "engine/PitchDetection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/AnalysisParams.h"
#include "engine/PitchCorrelation.h"
#include "support/ReferencePitch.h"
#include "support/SyntheticVoice.h"

namespace velmio {
namespace {

struct DetectionCase {
  const char* name;
  int rate;
  int lowNote, highNote;  // search range
  bool piano;
  double seconds = 1.0;
};

int FramesFor(std::size_t padded, int hop) {
  return static_cast<int>((padded / hop + 3) / 4 * 4);
}

PitchSettings SettingsFor(const DetectionCase& c, SimdLevel simd) {
  PitchSettings s;
  s.sampleRate = c.rate;
  s.hopSize = HopSizeForRate(c.rate);
  s.pitchLowNote = c.lowNote;
  s.pitchHighNote = c.highNote;
  s.simd = simd;
  return s;
}

class PitchAgainstReference : public ::testing::TestWithParam<DetectionCase> {};

// Every build of the correlation gives the marks, peaks and track of the
// literal detector.
TEST_P(PitchAgainstReference, MarksPeaksAndTrackMatch) {
  const DetectionCase& c = GetParam();
  const std::vector<float> x = c.piano ? synthetic::PianoNotes(c.rate, {43, 52, 60, 64, 48}, c.seconds / 5)
                                       : synthetic::SungGlide(c.rate, c.seconds, 110.0, 520.0);
  const int hop = HopSizeForRate(c.rate);
  const int frames = FramesFor(x.size(), hop);
  const reference::Pitch want =
      reference::Detect(x, frames, c.rate, hop, 120, c.lowNote, c.highNote);
  for (SimdLevel simd : {SimdLevel::kScalar, DetectSimdLevel()}) {
    SCOPED_TRACE(SimdLevelName(simd));
    const PitchResult got = DetectPitch(x, frames, SettingsFor(c, simd));
    EXPECT_EQ(got.m_markCount + 1, static_cast<int>(got.m_pitchMarks.size()));
    EXPECT_EQ(got.m_pitchMarks, want.marks);
    EXPECT_EQ(got.m_periodPeaks, want.peaks);
    EXPECT_EQ(got.m_pitchTrack, want.track);
  }
  // The test signal is voiced most of the time.
  if (c.lowNote <= c.highNote && c.seconds >= 0.5) {
    EXPECT_GT(std::count_if(want.track.begin(), want.track.end(), [](int16_t v) { return v != 972; }),
              frames / 3);
  }
}

INSTANTIATE_TEST_SUITE_P(
    RatesAndRanges, PitchAgainstReference,
    ::testing::Values(DetectionCase{"Default44k", 44100, 31, 64, false},
                      DetectionCase{"Default48kPiano", 48000, 31, 64, true},
                      DetectionCase{"C2toE5At22k", 22050, 24, 64, false},
                      DetectionCase{"G2toC8At96k", 96000, 31, 96, true},
                      // Needs more than 4096 samples and 1024 lags.
                      DetectionCase{"C0toC8At96k", 96000, 0, 96, false, 0.14},
                      DetectionCase{"C0toE5At44k", 44100, 0, 64, true, 0.5},
                      DetectionCase{"C1toC6At88k", 88200, 12, 72, true},
                      DetectionCase{"EmptyRange", 44100, 64, 31, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PitchDetection, NoteFrequenciesAndTrackValues) {
  EXPECT_NEAR(NoteFrequency(31, 440), 97.9988f, 1e-3);
  EXPECT_NEAR(NoteFrequency(64, 440), 659.255f, 1e-3);
  EXPECT_EQ(NoteFrequency(57, 440), 440.0f);
  EXPECT_EQ(PitchTrackValue(440.0f, 120, 440), 516);
  EXPECT_EQ(PitchTrackValue(0.0f, 120, 440), 972);
  EXPECT_EQ(PitchTrackValue(-1.0f, 96, 440), 780);
}

TEST(PitchDetection, SilenceAdvancesInTenMillisecondSteps) {
  const std::vector<float> x(44100, 0.0f);
  const PitchResult r = DetectPitch(x, 176, PitchSettings{});
  // W = 900: marks while below 44100 - 900.
  ASSERT_EQ(r.m_markCount, 98);
  for (int i = 0; i <= r.m_markCount; ++i) {
    EXPECT_EQ(r.m_pitchMarks[i], 441 * i);
    EXPECT_EQ(r.m_periodPeaks[i], 0);
  }
  for (int16_t v : r.m_pitchTrack) EXPECT_EQ(v, 972);
}

TEST(PitchDetection, RecordingShorterThanTheWindowHasNoPeriod) {
  const std::vector<float> x = synthetic::SungGlide(44100, 0.02, 200.0, 200.0);
  const PitchResult r = DetectPitch(x, 4, PitchSettings{});
  EXPECT_EQ(r.m_markCount, 0);
  EXPECT_EQ(r.m_pitchMarks, std::vector<int32_t>{0});
  EXPECT_EQ(r.m_pitchTrack, std::vector<int16_t>(4, 972));
}

TEST(PitchDetection, QuietPeriodsAdvanceButAreUnvoiced) {
  std::vector<float> x(22050);
  for (std::size_t i = 0; i < x.size(); ++i)
    x[i] = std::round(10.0f * std::sin(2.0f * 3.14159265f * static_cast<float>(i % 200) / 200.0f));
  const PitchResult r = DetectPitch(x, 84, PitchSettings{});
  ASSERT_GT(r.m_markCount, 10);
  EXPECT_EQ(r.m_pitchMarks[1], 200);
  EXPECT_EQ(r.m_periodPeaks[1], 10);
  for (int16_t v : r.m_pitchTrack) EXPECT_EQ(v, 972);
}

TEST(PitchDetection, ShortestPeriodWithinTenPercentWins) {
  // Period 400 repeats exactly; period 200 comes within 10% of it.
  std::vector<float> x(4000);
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double t = static_cast<double>(i);
    x[i] = static_cast<float>(8000 * std::sin(2 * 3.14159265358979 * t / 200) +
                              1500 * std::sin(2 * 3.14159265358979 * t / 400));
  }
  PeriodScratch scratch;
  scratch.Reserve(1001, 500);
  for (SimdLevel simd : {SimdLevel::kScalar, DetectSimdLevel()}) {
    const PeriodEstimate e = EstimatePeriod(x.data(), 0, 1001, 44100.0f, 90, 659, scratch, simd);
    EXPECT_NEAR(e.lag, 200, 3);
    EXPECT_EQ(e.lag, reference::Period(x.data(), 0, 1001, 44100.0f, 90, 659).second);
    EXPECT_FLOAT_EQ(e.pitch, 44100.0f / static_cast<float>(e.lag));
  }
}

TEST(PitchDetection, FullScalePeakStaysPositive) {
  std::vector<float> x(8192);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = (i % 150) < 75 ? 32767.0f : -32768.0f;
  const PitchResult r = DetectPitch(x, 32, PitchSettings{});
  ASSERT_GT(r.m_markCount, 1);
  EXPECT_EQ(r.m_periodPeaks[1], 32767);
  EXPECT_EQ(r.m_pitchTrack[0], PitchTrackValue(44100.0f / 150.0f, 120, 440));
}

TEST(PitchDetection, FramesPastTheSignalAreUnvoiced) {
  const std::vector<float> x = synthetic::SungGlide(44100, 0.5, 220.0, 220.0);
  const int frames = static_cast<int>(x.size() / 256) + 8;
  const PitchResult r = DetectPitch(x, frames, PitchSettings{});
  for (int t = static_cast<int>((x.size() + 255) / 256); t < frames; ++t)
    EXPECT_EQ(r.m_pitchTrack[t], 972);
}

// The vector builds split the lags into blocks and run the energies' chains
// inside the blocks' loops; whatever the split (one block, blocks of unequal
// size, more lags than products), every sum and energy has the scalar bits.
TEST(PitchCorrelation, EveryBuildGivesTheScalarSums) {
  std::mt19937 random(7);
  std::normal_distribution<float> noise(0.0f, 3000.0f);
  std::vector<float> s(4096 + kCorrelationSlack);
  for (float& x : s) x = noise(random);
  struct Shape {
    int32_t firstLag, lagCount, products;
  };
  const Shape shapes[] = {{1, 1, 1},     {66, 389, 447}, {5, 7, 3},      {30, 129, 40},
                          {2, 200, 20},  {10, 16, 100},  {10, 17, 100},  {1, 97, 2},
                          {300, 968, 991}, {12, 385, 386}};
  using Build = void (*)(SegmentSums&);
  std::vector<std::pair<const char*, Build>> builds{{"scalar", SumSegmentScalar}};
#if defined(__x86_64__)
  if (DetectSimdLevel() == SimdLevel::kAvx2Fma) builds.emplace_back("avx2", SumSegmentAvx2);
  if (HasAvx512Lags()) builds.emplace_back("avx512", SumSegmentAvx512);
#endif
  for (const Shape& shape : shapes) {
    const auto room = static_cast<std::size_t>(shape.lagCount + kCorrelationSlack);
    std::vector<float> wantNum(room), wantEnergy(room);
    SegmentSums want{s.data(), shape.products, shape.firstLag, shape.lagCount, wantNum.data(),
                     wantEnergy.data()};
    SumSegmentScalar(want);
    for (const auto& [name, build] : builds) {
      SCOPED_TRACE(::testing::Message() << name << " lags " << shape.firstLag << "+"
                                        << shape.lagCount << " products " << shape.products);
      std::vector<float> num(room), energy(room);
      SegmentSums got{s.data(), shape.products, shape.firstLag, shape.lagCount, num.data(),
                      energy.data()};
      build(got);
      EXPECT_EQ(std::memcmp(&got.e0, &want.e0, sizeof(float)), 0);
      const auto bytes = sizeof(float) * static_cast<std::size_t>(shape.lagCount);
      EXPECT_EQ(std::memcmp(num.data(), wantNum.data(), bytes), 0);
      EXPECT_EQ(std::memcmp(energy.data(), wantEnergy.data(), bytes), 0);
    }
  }
}

}  // namespace
}  // namespace velmio

// Vocal cut and extract against the plain double-precision reference, the
// worker split against a single worker, and what identical channels lose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "audio/VocalCut.h"
#include "support/ReferenceVocalCut.h"

namespace velmio {
namespace {

using Complex = std::complex<double>;
using velmio::testing::ReferenceVocalCut;

// A voice-like tone in the middle, an instrument on each side and some
// noise: every kind of bin the mask tells apart.
std::vector<int16_t> Mix(int64_t frames, int rate, double loudness, unsigned seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> noise(0.0, 200.0 * loudness);
  std::vector<int16_t> pcm(2 * frames);
  for (int64_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    const double voice = 6000 * std::sin(2 * M_PI * (330 + 40 * std::sin(3 * t)) * t);
    const double left = 5000 * std::sin(2 * M_PI * 523.25 * t) + 3000 * std::sin(2 * M_PI * 55 * t);
    const double right = 4000 * std::sin(2 * M_PI * 1318.5 * t + 1.0);
    pcm[2 * i] = static_cast<int16_t>(
        std::clamp(loudness * (voice + left) + noise(random), -32768.0, 32767.0));
    pcm[2 * i + 1] = static_cast<int16_t>(
        std::clamp(loudness * (voice + 0.3 * left + right) + noise(random), -32768.0, 32767.0));
  }
  return pcm;
}

std::vector<int16_t> Processed(std::vector<int16_t> pcm, VocalMode mode, int lowestNote, int a4,
                               int workers = kVocalWorkers) {
  VocalCutParams params;
  params.mode = mode;
  params.lowestNote = lowestNote;
  params.a4Frequency = a4;
  params.workers = workers;
  ProcessVocals(pcm.data(), static_cast<int64_t>(pcm.size() / 2), params);
  return pcm;
}

TEST(VocalCut, MatchesThePlainReferenceWithinTwoSteps) {
  struct Case {
    const char* name;
    int64_t frames;
    int rate;
    double loudness;  // 2.5 drives the 1.5 gain of the overlap into saturation
    VocalMode mode;
    int lowestNote, a4;
  };
  const Case cases[] = {
      {"cut, G3, 44.1 kHz", 26000, 44100, 1.0, VocalMode::kCut, 19, 440},
      {"extract, G3", 26000, 44100, 1.0, VocalMode::kExtract, 19, 440},
      {"cut, C2, A4 at 442 Hz, 48 kHz", 23117, 48000, 1.0, VocalMode::kCut, 0, 442},
      {"extract, C5", 24000, 48000, 1.0, VocalMode::kExtract, 36, 440},
      {"cut, loud enough to saturate", 12000, 44100, 2.5, VocalMode::kCut, 10, 440},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<int16_t> pcm = Mix(c.frames, c.rate, c.loudness, 1);
    const std::vector<int16_t> expected =
        ReferenceVocalCut(pcm, static_cast<int>(c.mode), c.lowestNote, c.a4);
    const std::vector<int16_t> actual = Processed(pcm, c.mode, c.lowestNote, c.a4);
    int worst = 0;
    for (std::size_t i = 0; i < pcm.size(); ++i)
      worst = std::max(worst, std::abs(int{actual[i]} - int{expected[i]}));
    // Float transforms against double ones: rounding differences only.
    EXPECT_LE(worst, 2);
  }
}

TEST(VocalCut, WorkersGiveTheSamplesOfASinglePassBitForBit) {
  // Around the smallest files that split (7168 sample frames and below leave
  // some quarters empty), and a longer one with three seams.
  for (int64_t frames : {2049, 3000, 7168, 7400, 9217, 100000}) {
    const std::vector<int16_t> pcm = Mix(frames, 44100, 1.0, 2);
    for (VocalMode mode : {VocalMode::kCut, VocalMode::kExtract}) {
      const std::vector<int16_t> single = Processed(pcm, mode, 19, 440, 1);
      for (int workers : {2, 3, kVocalWorkers, 7}) {
        EXPECT_EQ(Processed(pcm, mode, 19, 440, workers), single)
            << frames << " frames, " << workers << " workers";
      }
    }
  }
}

// Amplitude of the `hz` component of channel `c` over sample frames [from, to).
double Amplitude(const std::vector<int16_t>& pcm, int c, double hz, int64_t from, int64_t to) {
  Complex sum;
  for (int64_t i = from; i < to; ++i)
    sum += double(pcm[2 * i + c]) * std::polar(1.0, -2 * M_PI * hz * double(i) / 44100);
  return 2.0 * std::abs(sum) / double(to - from);
}

TEST(VocalCut, IdenticalChannelsLoseTheBandInCutModeAndKeepOnlyItInExtractMode) {
  const int64_t frames = 44100;
  const double inBand = 1000.0, below = 43.07;  // G3 puts the band's edge at 191 Hz
  std::vector<int16_t> pcm(2 * frames);
  for (int64_t i = 0; i < frames; ++i) {
    const double v = 4000 * std::sin(2 * M_PI * inBand * i / 44100.0) +
                     4000 * std::sin(2 * M_PI * below * i / 44100.0);
    pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(std::lround(v));
  }
  // Away from the faded ends, where all eight frames overlap.
  const int64_t from = 4096, to = frames - 4096;
  const std::vector<int16_t> cut = Processed(pcm, VocalMode::kCut, 19, 440);
  const std::vector<int16_t> extract = Processed(pcm, VocalMode::kExtract, 19, 440);
  for (int c : {0, 1}) {
    EXPECT_LT(Amplitude(cut, c, inBand, from, to), 2.0) << c;
    EXPECT_NEAR(Amplitude(cut, c, below, from, to), 6000.0, 60.0) << c;  // passed with gain 1.5
    EXPECT_NEAR(Amplitude(extract, c, inBand, from, to), 6000.0, 60.0) << c;
    EXPECT_LT(Amplitude(extract, c, below, from, to), 2.0) << c;
  }
  EXPECT_EQ(cut[2 * 20000], cut[2 * 20000 + 1]);
}

TEST(VocalCut, SamplesNoWholeFrameReachesBecomeSilence) {
  for (int64_t frames : {1, 100, 2048, 2049 + 300}) {
    const std::vector<int16_t> pcm = Mix(frames, 44100, 1.0, 3);
    const std::vector<int16_t> out = Processed(pcm, VocalMode::kCut, 19, 440);
    // Starts below F - 2048 only: the last frame ends at most 256 before the end.
    const int64_t covered = frames > 2048 ? (frames - 2048 - 1) / 256 * 256 + 2048 : 0;
    for (int64_t i = covered; i < frames; ++i) {
      ASSERT_EQ(out[2 * i], 0) << frames << " frames, at " << i;
      ASSERT_EQ(out[2 * i + 1], 0) << frames << " frames, at " << i;
    }
  }
}

TEST(VocalCut, BandStartsHalfASemitoneBelowTheLowestNote) {
  struct Case {
    int lowestNote, a4;
    float hz;
    int32_t bin;
  };
  const Case cases[] = {
      {0, 440, 64.1f, 2},     // C2
      {19, 440, 191.0f, 8},   // G3, the default
      {36, 440, 508.9f, 23},  // C5
      {0, 220, 32.3f, 1},     // never below bin 1
  };
  for (const Case& c : cases) {
    const float hz = VocalBandLowHz(c.lowestNote, c.a4);
    EXPECT_NEAR(hz, c.hz, 0.1f) << c.lowestNote;
    EXPECT_EQ(VocalBandLowBin(hz), c.bin) << c.lowestNote;
  }
}

}  // namespace
}  // namespace velmio

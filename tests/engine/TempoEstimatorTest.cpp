#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "engine/TempoEstimator.h"
#include "support/ReferenceTempo.h"

namespace velmio {
namespace {

constexpr int kFrames = 16384;  // 95 s; the transform is as long, 0.63 beats per minute a bin
constexpr int kBeatBin = 190;   // 119.85 beats per minute at that length

// Frame energies whose rectified central difference is exactly `onsets`
// (all >= 0): E[i + 1] = E[i - 1] + o[i].
std::vector<float> EnergyWithOnsets(const std::vector<double>& onsets) {
  std::vector<double> e(onsets.size(), 0.0);
  for (std::size_t i = 1; i + 1 < onsets.size(); ++i) e[i + 1] = e[i - 1] + onsets[i];
  return {e.begin(), e.end()};
}

// Onsets of 1.5 + sum of a cos(2 pi i bin / F) over the components
// {bin, a}, each on a bin centre so that the powers compare as the
// amplitudes' squares.
std::vector<float> OnsetComponents(const std::vector<std::pair<int, double>>& components) {
  std::vector<double> o(kFrames, 1.5);
  for (int i = 0; i < kFrames; ++i) {
    for (auto [bin, amplitude] : components)
      o[i] += amplitude * std::cos(2.0 * std::numbers::pi * i * bin / kFrames);
  }
  return EnergyWithOnsets(o);
}

// A beat on kBeatBin, its half and its 2nd, 3rd and 4th harmonics.
std::vector<float> HarmonicEnergy(double half, double beat, double second, double third,
                                  double fourth) {
  const int b = kBeatBin;
  return OnsetComponents(
      {{b / 2, half}, {b, beat}, {2 * b, second}, {3 * b, third}, {4 * b, fourth}});
}

// A burst of energy accents[n % size] every `period` frames from `first` on.
std::vector<float> ClickTrack(int frames, double period, double first,
                              const std::vector<float>& accents) {
  std::vector<float> e(frames, 0.0f);
  int n = 0;
  for (double at = first; std::lround(at) < frames; at += period, ++n) {
    e[std::lround(at)] = accents[n % accents.size()];
  }
  return e;
}

struct Levels {
  std::vector<float> db;
  int rows = 0;
};

TempoProposal Estimate(const std::vector<float>& energy, const Levels& levels = {}, int top = 24,
                       int range = 20) {
  TempoInput in;
  in.frameEnergy = energy;
  in.levelDb = levels.db;
  in.frameCount = static_cast<int32_t>(energy.size());
  in.rows = levels.rows;
  in.levelTopDb = top;
  in.levelRangeDb = range;
  return EstimateTempo(in);
}

TEST(TempoEstimator, TransformSizeIsTheNextPowerOfTwo) {
  const int32_t cases[][2] = {{1, 1},
                              {2, 2},
                              {3, 4},
                              {1024, 1024},
                              {1028, 2048},
                              {1724, 2048},
                              {16384, 16384},
                              {103359, 131072},
                              {(1 << 20) + 1, 1 << 21},
                              {(1 << 21) + 1, 1 << 22}};
  for (const auto& c : cases) EXPECT_EQ(TempoTransformSize(c[0]), c[1]) << c[0];
}

TEST(TempoEstimator, HalfTempoAndBarLengthFollowTheHarmonics) {
  struct Case {
    const char* name;
    double half, beat, second, third, fourth;
    int32_t tempo, beatsPerBarIndex;
  };
  const Case cases[] = {
      {"a strong third harmonic gives 3 beats even beside a strong fourth", 0, 0.3, 0.1, 0.3, 0.3,
       120, 1},
      {"third at 0.95 of the beat's amplitude: 3 beats", 0, 0.3, 0.1, 0.285, 0.3, 120, 1},
      {"third at 0.85 of it: not 3 beats", 0, 0.3, 0.1, 0.255, 0.3, 120, 2},
      {"second above sqrt(2) times the fourth: 2 beats", 0, 0.3, 0.15, 0.05, 0.1, 120, 0},
      {"second below sqrt(2) times the fourth: 4 beats", 0, 0.3, 0.13, 0.05, 0.1, 120, 2},
      {"half tempo with more than a third of the power: 60", 0.18, 0.3, 0.1, 0.0, 0.0, 60, 0},
      {"half tempo with less: the beat stays", 0.17, 0.3, 0.1, 0.05, 0.3, 120, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempoProposal p = Estimate(HarmonicEnergy(c.half, c.beat, c.second, c.third, c.fourth));
    EXPECT_EQ(p.tempo, c.tempo);
    EXPECT_EQ(p.beatsPerBarIndex, c.beatsPerBarIndex);
  }
}

TEST(TempoEstimator, HarmonicAndHalfTempoWindowsSpan32Bins) {
  const int b = kBeatBin;
  struct Case {
    const char* name;
    std::pair<int, double> extra;
    int32_t tempo, beatsPerBarIndex;
  };
  // A beat with a weak second and a strong fourth harmonic (4 beats), and one
  // more component near the third harmonic or the half tempo (-1: a half
  // tempo has no harmonics here, and its bar length is not checked).
  const Case cases[] = {
      {"16 bins below the third harmonic: inside", {3 * b - 16, 0.3}, 120, 1},
      {"17 below: outside", {3 * b - 17, 0.3}, 120, 2},
      {"15 above: inside", {3 * b + 15, 0.3}, 120, 1},
      {"16 above: outside", {3 * b + 16, 0.3}, 120, 2},
      {"15 bins above half the beat: a half tempo", {b / 2 + 15, 0.2}, 69, -1},
      {"16 above: outside", {b / 2 + 16, 0.2}, 120, 2},
      {"16 below, the lowest bin searched", {b / 2 - 16, 0.2}, 50, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempoProposal p =
        Estimate(OnsetComponents({{b, 0.3}, {2 * b, 0.1}, {4 * b, 0.3}, c.extra}));
    EXPECT_EQ(p.tempo, c.tempo);
    if (c.beatsPerBarIndex >= 0) {
      EXPECT_EQ(p.beatsPerBarIndex, c.beatsPerBarIndex);
    }
  }
}

TEST(TempoEstimator, ClickTracksGiveTheirTempo) {
  struct Case {
    const char* name;
    double bpm;
    std::vector<float> accents;
    double expectedBpm;
  };
  const Case cases[] = {
      {"a click every half second", 120, {1.0f}, 120},
      {"every other click weak: the half tempo holds over a third", 120, {1.0f, 0.2f}, 60},
      {"every other click at half strength: not enough", 120, {1.0f, 0.5f}, 120},
      {"a slow waltz", 72, {1.0f}, 72},
      {"a fast reel", 184, {1.0f}, 184},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempoProposal p = Estimate(ClickTrack(kFrames, 60.0 / c.bpm * 172.265625, 30, c.accents));
    // Between bins the weighting lands within about a bin of the true tempo.
    EXPECT_NEAR(p.tempo, c.expectedBpm, 1.0);
  }
}

TEST(TempoEstimator, MatchesAPlainDoublePrecisionEstimate) {
  std::mt19937 random(11);
  // 10 s (the transform then has 2048 points and the harmonic windows reach
  // below the table), about 29 s and 95 s.
  for (int frames : {1724, 5000, kFrames}) {
    for (double bpm : {66.0, 97.0, 128.0, 171.0}) {
      std::uniform_real_distribution<float> accent(0.3f, 1.0f);
      std::vector<float> energy(frames, 0.0f);
      std::normal_distribution<double> jitter(0.0, 0.8);
      for (double at = 200; at < frames - 2; at += 60.0 / bpm * 172.265625) {
        const int k = std::clamp(int(std::lround(at + jitter(random))), 0, frames - 1);
        energy[k] += accent(random);
        if (k + 1 < frames) energy[k + 1] += 0.5f * energy[k];
      }
      const velmio::testing::ReferenceTempoResult expected =
          velmio::testing::ReferenceTempo(energy, {}, 0, 24, 20);
      const TempoProposal actual = Estimate(energy);
      EXPECT_EQ(actual.tempo, expected.tempo) << frames << " frames, " << bpm;
      EXPECT_EQ(actual.beatsPerBarIndex, expected.beatsPerBarIndex) << frames << " frames, " << bpm;
    }
  }
}

// Levels that rise by 0.1 dB a frame from -60 dB, in every row, or -300 dB
// everywhere but a few cells.
Levels Ramp(int frames, int rows) {
  Levels l{std::vector<float>(std::size_t(frames) * rows), rows};
  for (int r = 0; r < rows; ++r) {
    for (int k = 0; k < frames; ++k) l.db[std::size_t(r) * frames + k] = -60.0f + 0.1f * k;
  }
  return l;
}

Levels Dark(int frames, int rows, std::vector<std::pair<int, int>> bright) {
  Levels l{std::vector<float>(std::size_t(frames) * rows, -300.0f), rows};
  for (auto [r, k] : bright) l.db[std::size_t(r) * frames + k] = 0.0f;
  return l;
}

TEST(TempoEstimator, StartIsTheFirstFrameTheRendererWouldShow) {
  const int frames = 1000;
  const std::vector<float> energy = ClickTrack(frames, 86.13, 30, {1.0f});
  struct Case {
    const char* name;
    Levels levels;
    int top, range;
    int32_t startMs;
  };
  // Visible from (range + level + top) * 255 / range >= 1: level >= -43.92 dB
  // at gain 24, range 20, reached in frame 161.
  const Case cases[] = {
      {"gain 24", Ramp(frames, 3), 24, 20, 935},
      {"gain 30 shows quieter cells: earlier", Ramp(frames, 3), 30, 20, 586},
      {"gain 40", Ramp(frames, 3), 40, 20, 6},
      {"gain 50: from the first frame", Ramp(frames, 3), 50, 20, 0},
      {"a wider range also shows quieter cells", Ramp(frames, 3), 24, 30, 360},
      {"first visible cell in frame 100", Dark(frames, 8, {{5, 100}}), 24, 20, 580},
      {"the earliest over all rows", Dark(frames, 8, {{0, 300}, {7, 100}, {3, 200}}), 24, 20, 580},
      {"nothing visible", Dark(frames, 8, {}), 24, 20, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Estimate(energy, c.levels, c.top, c.range).startMs, c.startMs);
  }
}

TEST(TempoEstimator, EnergyThatNeverRisesProposesTheDefaultGrid) {
  struct Case {
    const char* name;
    std::vector<float> energy;
  };
  const Case cases[] = {
      {"digital silence", std::vector<float>(5000, 0.0f)},
      {"a steady tone", std::vector<float>(5000, 3.5f)},
      {"a fade-out",
       [] {
         std::vector<float> e(5000);
         for (int i = 0; i < 5000; ++i) e[i] = 5000.0f - i;
         return e;
       }()},
      {"one frame", {1.0f}},
      {"three frames", {0.0f, 0.0f, 1.0f}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TempoProposal p = Estimate(c.energy, Dark(int(c.energy.size()), 1, {{0, 0}}));
    EXPECT_EQ(p.tempo, kNoBeatTempo);
    EXPECT_EQ(p.beatsPerBarIndex, kNoBeatBeatsPerBarIndex);
    EXPECT_EQ(p.startMs, 0);
  }
}

}  // namespace
}  // namespace velmio

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/AnalysisJob.h"
#include "engine/LevelConversion.h"
#include "engine/Spectrogram.h"

namespace velmio {
namespace {

TEST(ApproxDecibel, KnownPowersAndSilence) {
  EXPECT_NEAR(ApproxDecibel(0.0f), -382.29f, 0.005f);
  EXPECT_NEAR(ApproxDecibel(1.0f), 0.015f, 0.001f);
  EXPECT_NEAR(ApproxDecibel(0.25f), -6.006f, 0.001f);
  EXPECT_NEAR(ApproxDecibel(1e-45f), -382.0f, 1.0f);  // denormals read near the floor too
}

TEST(ApproxDecibel, WithinFifteenThousandthsOfADecibel) {
  for (float p = 1e-30f; p < 1e10f; p *= 1.0137f) {
    ASSERT_NEAR(ApproxDecibel(p), 10.0 * std::log10(double{p}), 0.0151) << p;
  }
}

TEST(FrameGeometry, PaddingAndFrameCounts) {
  struct Case {
    int64_t dataSize;
    int channels, hop, low, high, bins;
    int padded, frames, rows;
  } cases[] = {
      {2000, 1, 256, 12, 120, 4, 1024, 4, 864},  // 1000 mono samples at 44.1 kHz
      {4000, 2, 278, 12, 120, 4, 1024, 4, 864},  // 1000 stereo frames at 48 kHz
      {400, 1, 256, 12, 120, 4, 224, 0, 864},    // shorter than one hop
      {500, 1, 256, 0, 72, 8, 256, 4, 576},      // 250 samples; C0..C6
      {0, 2, 256, 12, 120, 1, 0, 0, 864},
      {2 * 44100 * 2, 2, 256, 12, 120, 4, 44128, 172, 864},
  };
  for (const Case& c : cases) {
    const FrameGeometry g =
        ComputeFrameGeometry(c.dataSize, 16, c.channels, c.hop, c.low, c.high, c.bins);
    EXPECT_EQ(g.paddedLength, c.padded) << c.dataSize;
    EXPECT_EQ(g.frameCount, c.frames) << c.dataSize;
    EXPECT_EQ(g.rowCount, c.rows) << c.dataSize;
    EXPECT_EQ(g.binCount, c.bins * (c.high - c.low));
  }
}

TEST(MixToMonoSignal, TruncatesTowardZeroAndZeroPads) {
  const int16_t stereo[] = {-3, 0, 32767, 32767, 1, -2, -32768, -32768, 5, 6};
  std::vector<float> mono(8, 99.0f);
  std::fill(mono.begin() + 5, mono.end(), 0.0f);
  MixToMonoSignal(stereo, 2, 5, mono.data());
  const float expected[] = {-1, 32767, 0, -32768, 5, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(mono[i], expected[i]) << i;
  const int16_t single[] = {7, -8};
  MixToMonoSignal(single, 1, 2, mono.data());
  EXPECT_EQ(mono[0], 7.0f);
  EXPECT_EQ(mono[1], -8.0f);
}

TEST(LevelRows, EachBinFillsItsRowsHighestPitchOnTop) {
  const int frames = 8;
  for (int n : {1, 2, 4, 8}) {
    const int semitones = 3;
    const int bins = n * semitones;
    const int rows = 8 * semitones;
    std::vector<float> power(bins * frames);
    for (int k = 0; k < bins; ++k) {
      for (int t = 0; t < frames; ++t)
        power[k * frames + t] = std::pow(10.0f, -(k + 1) - 0.01f * t);
    }
    // The transform leaves each bin's power in the first of its rows.
    std::vector<float> levels(rows * frames, 1234.0f);
    for (int k = 0; k < bins; ++k) {
      std::copy_n(&power[k * frames], frames, BinRow(levels.data(), bins, frames, n, k));
    }
    ConvertLevelsInPlace(levels.data(), bins, frames, n, 2);
    for (int r = 0; r < rows; ++r) {
      const int k = bins - 1 - r * n / 8;  // the bin whose rows include r
      for (int t = 0; t < frames; ++t) {
        ASSERT_EQ(levels[r * frames + t], ApproxDecibel(power[k * frames + t]))
            << "N=" << n << " r=" << r << " t=" << t;
      }
    }
  }
}

TEST(FrameEnergy, SumsAllBinsOfEachFrameWhateverTheRowStride) {
  const int bins = 5, frames = 4;
  std::vector<float> power(bins * frames);
  for (int i = 0; i < bins * frames; ++i) power[i] = 0.5f * i + 0.25f;
  for (int64_t stride : {int64_t{frames}, int64_t{-frames}}) {
    const float* first = stride > 0 ? power.data() : power.data() + (bins - 1) * frames;
    std::vector<float> energy(frames, 7.0f);
    SumFrameEnergy(first, stride, bins, frames, energy.data());
    for (int t = 0; t < frames; ++t) {
      float sum = 0.0f;
      for (int k = 0; k < bins; ++k) sum += first[k * stride + t];
      EXPECT_EQ(energy[t], sum);
    }
  }
}

}  // namespace
}  // namespace velmio

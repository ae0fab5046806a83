#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "engine/KernelBank.h"

namespace velmio {
namespace {

KernelParams Params(int bins, int mode, int rate = 44100) {
  KernelParams p;
  p.binsPerSemitone = bins;
  p.windowMode = mode;
  p.sampleRate = rate;
  p.hopSize = rate * 256 / 44100;
  return p;
}

// Unpadded length: taps before the zero padding at the end of the kernel.
int UnpaddedTaps(const KernelBank& bank, int bin) {
  const float* taps = bank.TapsOf(bin);
  int n = bank.m_kernelInfo[bin].length;
  while (n > 0 && taps[2 * n - 2] == 0.0f && taps[2 * n - 1] == 0.0f) --n;
  return n;
}

TEST(KernelBank, WorkedValuesAt44100) {
  struct Case {
    int mode;
    int64_t totalTaps;
    int bin230Length;
  } cases[] = {{0, 1409912, 3436}, {1, 503204, 1200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    KernelBank bank;
    BuildKernelBank(Params(4, c.mode), bank);
    EXPECT_EQ(bank.BinCount(), 480);
    EXPECT_EQ(bank.TotalTaps(), c.totalTaps);
    EXPECT_NEAR(BinFrequency(bank.m_params, 0), 15.9436f, 1e-3f);
    EXPECT_NEAR(BinFrequency(bank.m_params, 230), 441.591f, 1e-3f);
    EXPECT_EQ(bank.m_kernelInfo[230].decimation, 2);
    EXPECT_EQ(bank.m_kernelInfo[230].length, c.bin230Length);
    EXPECT_EQ(bank.m_kernelInfo[48].decimation, 32);
    EXPECT_EQ(bank.m_kernelInfo[50].decimation, 16);
  }
}

TEST(KernelBank, EveryKernelIsAlignedAndAMultipleOfFour) {
  for (int bins : {1, 2, 4, 8}) {
    for (int mode : {0, 1}) {
      for (int rate : {22050, 44100, 96000}) {
        KernelBank bank;
        BuildKernelBank(Params(bins, mode, rate), bank);
        ASSERT_EQ(bank.BinCount(), 120 * bins);
        for (int i = 0; i < bank.BinCount(); ++i) {
          const KernelInfo& info = bank.m_kernelInfo[i];
          ASSERT_GE(info.length, 4);
          ASSERT_EQ(info.length % 4, 0);
          ASSERT_EQ(reinterpret_cast<std::uintptr_t>(bank.TapsOf(i)) % 16, 0u);
          // No kernel is shorter than one hop of input samples.
          ASSERT_GE(info.length * info.decimation, bank.m_params.hopSize - 3 * info.decimation);
        }
      }
    }
  }
}

TEST(KernelBank, SubBinsSitBelowTheNote) {
  // N = 4: the four bins of a note lie -0.4375, -0.1875, +0.0625, +0.3125 semitones from it.
  const KernelParams p = Params(4, 1);
  const double a4 = 440.0;
  const double offsets[] = {-0.4375, -0.1875, 0.0625, 0.3125};
  for (int j = 0; j < 4; ++j) {
    const double expected = a4 * std::pow(2.0, offsets[j] / 12.0);
    EXPECT_NEAR(BinFrequency(p, 57 * 4 + j), expected, expected * 1e-5);
  }
  // N = 1: bins fall on the semitones; bin 57 is A4 itself.
  EXPECT_NEAR(BinFrequency(Params(1, 1), 57), 440.0f, 1e-3f);
  KernelParams tuned = Params(1, 1);
  tuned.a4Frequency = 442;
  EXPECT_NEAR(BinFrequency(tuned, 57), 442.0f, 1e-3f);
}

TEST(KernelBank, DecimationThresholds) {
  struct Case {
    float frequency;
    int decimation;
  } cases[] = {{32.70f, 32}, {32.71f, 16}, {65.41f, 8},  {130.82f, 4},
               {261.63f, 2}, {523.25f, 1}, {523.24f, 2}, {10000.0f, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(DecimationForFrequency(c.frequency), c.decimation) << c.frequency;
}

TEST(KernelBank, TrapezoidWindowShape) {
  // A bin near 1000 Hz at 44.1 kHz: 24 cycles give 1058 taps; the window is zero
  // from k = ceil(T) on, T = 23.8 cycles, and taps 1058, 1059 pad to 1060.
  const KernelParams p = Params(4, 1);
  int bin = 0;
  while (BinFrequency(p, bin + 1) <= 1000.0f) ++bin;
  KernelBank bank;
  BuildKernelBank(p, bank);
  const float f = BinFrequency(p, bin);
  const int n = static_cast<int>(24.0f * 44100.0f / f);
  EXPECT_EQ(bank.m_kernelInfo[bin].length, (n + 3) / 4 * 4);
  const float* taps = bank.TapsOf(bin);
  EXPECT_EQ(taps[0], 0.0f);  // w[0] = 0
  EXPECT_EQ(taps[1], 0.0f);
  const float span = 44100.0f * 23.8f / f;
  EXPECT_EQ(UnpaddedTaps(bank, bin), static_cast<int>(std::ceil(span)));
  // The flat top has amplitude 2^-15 / sum(w); its magnitude is constant.
  const int mid = n / 2;
  const double m1 = std::hypot(taps[2 * mid], taps[2 * mid + 1]);
  const double m2 = std::hypot(taps[2 * mid + 2], taps[2 * mid + 3]);
  EXPECT_NEAR(m1, m2, m1 * 1e-5);
}

TEST(KernelBank, ShortKernelsStretchToOneHop) {
  // N = 1, Hamming: around 4186 Hz Q*fs/f is about 177 < 256, so the window spans the hop.
  for (int rate : {44100, 22050}) {
    const KernelParams p = Params(1, 0, rate);
    KernelBank bank;
    BuildKernelBank(p, bank);
    const int c8 = 96;
    EXPECT_EQ(bank.m_kernelInfo[c8].decimation, 1);
    EXPECT_EQ(bank.m_kernelInfo[c8].length, p.hopSize);
    EXPECT_EQ(UnpaddedTaps(bank, c8), p.hopSize - 0) << rate;
  }
}

TEST(KernelBank, UnitResponseToASineAtTheBinFrequency) {
  // Each kernel is scaled so that a sine of amplitude A gives |dot| ~ A / 65536.
  for (int mode : {0, 1}) {
    const KernelParams p = Params(4, mode);
    KernelBank bank;
    BuildKernelBank(p, bank);
    for (int bin : {260, 300, 400}) {
      const KernelInfo& info = bank.m_kernelInfo[bin];
      ASSERT_EQ(info.decimation, 1);
      const double f = BinFrequency(p, bin);
      const float* taps = bank.TapsOf(bin);
      double re = 0, im = 0;
      for (int k = 0; k < info.length; ++k) {
        const double x = 32768.0 * std::cos(2 * M_PI * f * k / 44100.0);
        re += x * taps[2 * k];
        im += x * taps[2 * k + 1];
      }
      EXPECT_NEAR(std::hypot(re, im), 0.5, 0.01) << "mode " << mode << " bin " << bin;
    }
  }
}

}  // namespace
}  // namespace velmio

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "engine/ConstantQ.h"
#include "engine/Decimator.h"

namespace velmio {
namespace {

struct TransformCase {
  int rate, bins, mode, low, high;
  double seconds;
};

KernelParams ParamsFor(const TransformCase& s) {
  KernelParams p;
  p.binsPerSemitone = s.bins;
  p.windowMode = s.mode;
  p.sampleRate = s.rate;
  p.hopSize = s.rate * 256 / 44100;
  return p;
}

// Chords, a melody-like sweep and noise: energy in every octave.
AlignedBuffer<float> MakeSignal(int rate, double seconds, int* padded) {
  const int length = static_cast<int>(rate * seconds);
  *padded = (length + 31) / 32 * 32;
  AlignedBuffer<float> x(static_cast<std::size_t>(*padded));
  std::mt19937 random(11);
  std::normal_distribution<float> noise(0.0f, 300.0f);
  for (int i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double v = 9000 * std::sin(2 * M_PI * 110 * t) + 7000 * std::sin(2 * M_PI * 41.2 * t) +
                     5000 * std::sin(2 * M_PI * (600 + 400 * t) * t) +
                     3000 * std::sin(2 * M_PI * 5000 * t);
    x[i] = std::round(static_cast<float>(v) + noise(random));
  }
  return x;
}

// Straightforward double-precision evaluation of one cell, with the bound on
// the rounding error of any single-precision evaluation of the same sums.
struct ReferenceCell {
  double power = 0.0;
  double tolerance = 0.0;
};

ReferenceCell Reference(const float* x, const float* taps, int length) {
  double re = 0, im = 0, absRe = 0, absIm = 0;
  for (int j = 0; j < length; ++j) {
    re += double{x[j]} * taps[2 * j];
    im += double{x[j]} * taps[2 * j + 1];
    absRe += std::abs(double{x[j]} * taps[2 * j]);
    absIm += std::abs(double{x[j]} * taps[2 * j + 1]);
  }
  // A float sum of L products, in any order and with or without fused
  // multiply-adds, is within gamma_L * sum|x_j k_j| of the exact sum
  // (gamma_L = L u / (1 - L u), u = 2^-24); squaring and adding the two parts
  // adds a few more roundings of the result itself.
  const double u = std::ldexp(1.0, -24);
  const double gamma = length * u / (1 - length * u);
  const double eRe = gamma * absRe, eIm = gamma * absIm;
  ReferenceCell cell;
  cell.power = re * re + im * im;
  cell.tolerance = 2 * std::abs(re) * eRe + eRe * eRe + 2 * std::abs(im) * eIm + eIm * eIm +
                   4 * u * (cell.power + eRe * eRe + eIm * eIm) + 1e-38;
  return cell;
}

std::vector<float> RunTransform(const TransformCase& s, const float* x, int padded,
                                const KernelBank& bank, SimdLevel simd, int workers) {
  const int frames = (padded / bank.m_params.hopSize + 3) / 4 * 4;
  const int binCount = s.bins * (s.high - s.low);
  std::vector<float> power(static_cast<std::size_t>(binCount) * frames, -1.0f);
  ConstantQOptions options;
  options.simd = simd;
  options.workerCount = workers;
  ComputeConstantQ(x, padded, s.low, s.high, bank, frames, binCount, power.data(), options);
  return power;
}

class ConstantQAgainstReference : public ::testing::TestWithParam<TransformCase> {};

TEST_P(ConstantQAgainstReference, EveryPathMatchesDoublePrecisionWithinFloatRounding) {
  const TransformCase s = GetParam();
  int padded = 0;
  AlignedBuffer<float> x = MakeSignal(s.rate, s.seconds, &padded);
  KernelBank bank;
  BuildKernelBank(ParamsFor(s), bank);
  const int hop = bank.m_params.hopSize;
  const int frames = (padded / hop + 3) / 4 * 4;

  std::vector<std::vector<float>> decimated{std::vector<float>(x.begin(), x.end())};
  for (int d = 2; d <= 32; d *= 2) {
    const std::vector<float>& previous = decimated.back();
    std::vector<float> next(previous.size() / 2);
    DecimateByTwo(static_cast<int>(previous.size()), previous.data(), next.data());
    decimated.push_back(std::move(next));
  }

  const SimdLevel best = DetectSimdLevel();
  for (SimdLevel level : {SimdLevel::kScalar, SimdLevel::kSse4, SimdLevel::kAvx2Fma}) {
    if (level > best) continue;
    SCOPED_TRACE(SimdLevelName(level));
    const std::vector<float> power = RunTransform(s, x.data(), padded, bank, level, 3);
    int computed = 0;
    for (int k = 0; k < s.bins * (s.high - s.low); ++k) {
      const int bin = s.low * s.bins + k;
      const KernelInfo& info = bank.m_kernelInfo[bin];
      const std::vector<float>& xd = decimated[std::countr_zero(unsigned(info.decimation))];
      for (int t = 0; t < frames; ++t) {
        const int64_t h = int64_t{t} * hop / info.decimation - info.length / 2;
        const float got = power[static_cast<std::size_t>(k) * frames + t];
        if (h + 1 < 0 || h + info.length >= static_cast<int64_t>(xd.size())) {
          ASSERT_EQ(got, 0.0f) << "bin " << bin << " frame " << t;
          continue;
        }
        const ReferenceCell cell = Reference(xd.data() + h + 1, bank.TapsOf(bin), info.length);
        ASSERT_NEAR(got, cell.power, cell.tolerance) << "bin " << bin << " frame " << t;
        ++computed;
      }
    }
    EXPECT_GT(computed, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ConstantQAgainstReference,
    ::testing::Values(TransformCase{44100, 4, 1, 0, 120, 2.2},  // every decimation, trapezoid
                      TransformCase{22050, 8, 0, 24, 96, 1.5},  // hop 128, Hamming, eight bins
                      TransformCase{48000, 1, 1, 12, 120,
                                    1.0},  // hop 278: frame positions not on decimated samples
                      TransformCase{96000, 2, 0, 48, 72, 0.5}),
    [](const ::testing::TestParamInfo<TransformCase>& info) {
      const TransformCase& c = info.param;
      return std::to_string(c.rate) + "Hz_N" + std::to_string(c.bins) + "_mode" +
             std::to_string(c.mode);
    });

TEST(ConstantQ, WorkerCountDoesNotChangeAnyValue) {
  const TransformCase s{44100, 4, 1, 12, 120, 3.0};
  int padded = 0;
  AlignedBuffer<float> x = MakeSignal(s.rate, s.seconds, &padded);
  KernelBank bank;
  BuildKernelBank(ParamsFor(s), bank);
  const std::vector<float> one = RunTransform(s, x.data(), padded, bank, DetectSimdLevel(), 1);
  for (int workers : {2, 5}) {
    EXPECT_EQ(RunTransform(s, x.data(), padded, bank, DetectSimdLevel(), workers), one) << workers;
  }
}

TEST(ConstantQ, SineAtABinFrequencyReadsAQuarter) {
  // Amplitude 32767 at a bin's centre gives |dot| ~ 1/2, power ~ 0.25.
  const TransformCase s{44100, 4, 1, 48, 84, 1.0};
  KernelBank bank;
  BuildKernelBank(ParamsFor(s), bank);
  for (int bin : {s.low * 4 + 10, s.low * 4 + 50, s.low * 4 + 100}) {
    const double f = BinFrequency(bank.m_params, bin);
    const int padded = 44128;
    AlignedBuffer<float> x(padded);
    for (int i = 0; i < 44100; ++i)
      x[i] = std::round(static_cast<float>(32767 * std::sin(2 * M_PI * f * i / 44100)));
    const std::vector<float> power = RunTransform(s, x.data(), padded, bank, DetectSimdLevel(), 2);
    const int frames = (padded / 256 + 3) / 4 * 4;
    const int k = bin - s.low * 4;
    EXPECT_NEAR(power[static_cast<std::size_t>(k) * frames + frames / 2], 0.25, 0.01) << f;
  }
}

TEST(ConstantQ, EmptySignalFinishesWithFullProgress) {
  KernelBank bank;
  BuildKernelBank(KernelParams{}, bank);
  std::atomic<int> progress{-1};
  ConstantQOptions options;
  options.progress = &progress;
  AlignedBuffer<float> x(224);
  ComputeConstantQ(x.data(), 224, 12, 120, bank, 0, 432, nullptr, options);
  EXPECT_EQ(progress.load(), 100);
}

}  // namespace
}  // namespace velmio

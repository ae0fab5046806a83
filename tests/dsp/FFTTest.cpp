#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/FFT.h"

namespace velmio {
namespace {

using Points = std::vector<std::complex<float>>;

// Interleaves `x` into a plain vector (no particular alignment), transforms
// it and returns the points.
Points Transformed(const Points& x, bool forward) {
  std::vector<float> a(2 * x.size());
  for (std::size_t j = 0; j < x.size(); ++j) {
    a[2 * j] = x[j].real();
    a[2 * j + 1] = x[j].imag();
  }
  CFFT fft;
  fft.Init(static_cast<int32_t>(x.size()));
  fft.SetForward(forward ? 1 : 0);
  fft.Transform(a.data());
  Points out(x.size());
  for (std::size_t k = 0; k < x.size(); ++k) out[k] = {a[2 * k], a[2 * k + 1]};
  return out;
}

void ExpectPoints(const Points& actual, const Points& expected, float tolerance) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t k = 0; k < actual.size(); ++k) {
    EXPECT_NEAR(actual[k].real(), expected[k].real(), tolerance) << "k=" << k;
    EXPECT_NEAR(actual[k].imag(), expected[k].imag(), tolerance) << "k=" << k;
  }
}

TEST(CFFT, OnePointIsLeftUnchangedInBothDirections) {
  for (bool forward : {true, false}) {
    ExpectPoints(Transformed({{2.5f, -1.25f}}, forward), {{2.5f, -1.25f}}, 0.0f);
  }
}

TEST(CFFT, TwoPointsGiveSumAndDifferenceAndTheInverseHalvesThem) {
  const Points x = {{3.0f, 1.0f}, {1.0f, -2.0f}};
  ExpectPoints(Transformed(x, true), {{4.0f, -1.0f}, {2.0f, 3.0f}}, 0.0f);
  ExpectPoints(Transformed(x, false), {{2.0f, -0.5f}, {1.0f, 1.5f}}, 0.0f);
}

TEST(CFFT, ForwardTransformsOfKnownSignals) {
  const int n = 64;
  struct Case {
    const char* name;
    std::complex<float> (*x)(int j);
    std::complex<float> (*expected)(int k);
  };
  const Case cases[] = {
      {"unit impulse", [](int j) { return std::complex<float>(j == 0 ? 1.0f : 0.0f); },
       [](int) { return std::complex<float>(1.0f); }},
      {"constant", [](int) { return std::complex<float>(1.0f); },
       [](int k) { return std::complex<float>(k == 0 ? 64.0f : 0.0f); }},
      // The sign convention: e^(+2 pi i 3j/N) lands in bin 3, not in bin N - 3.
      {"rotation by 3",
       [](int j) {
         const double angle = 2.0 * std::numbers::pi * 3.0 * j / 64.0;
         return std::complex<float>(static_cast<float>(std::cos(angle)),
                                    static_cast<float>(std::sin(angle)));
       },
       [](int k) { return std::complex<float>(k == 3 ? 64.0f : 0.0f); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Points x(n), expected(n);
    for (int j = 0; j < n; ++j) {
      x[j] = c.x(j);
      expected[j] = c.expected(j);
    }
    // A few float roundings of values up to N.
    ExpectPoints(Transformed(x, true), expected, 1e-4f);
  }
}

TEST(CFFT, InverseUndoesForwardForEveryLengthUpToTwoToTheTwenty) {
  for (int n = 2; n <= (1 << 20); n *= 2) {
    Points x(n);
    for (int j = 0; j < n; ++j) {
      x[j] = {static_cast<float>(std::sin(0.37 * j) + 0.25 * (j % 7)),
              static_cast<float>(std::cos(0.011 * j))};
    }
    const Points back = Transformed(Transformed(x, true), false);
    // Single-precision error grows with log2(N) and the signal's scale (~2).
    const float tolerance = 2e-6f * std::log2(static_cast<float>(n)) * 2.0f;
    float worst = 0.0f;
    for (int j = 0; j < n; ++j) worst = std::max(worst, std::abs(back[j] - x[j]));
    EXPECT_LT(worst, tolerance) << "n=" << n;
  }
}

TEST(CFFT, ArraysOfAnyAlignmentGiveTheSameResult) {
  const int n = 256;
  std::vector<float> storage(2 * n + 1);
  float* odd = storage.data() + 1;  // 4 bytes off any SIMD alignment
  AlignedBuffer<float> aligned(2 * n);
  for (int i = 0; i < 2 * n; ++i) odd[i] = aligned[i] = static_cast<float>(std::sin(0.3 * i));
  CFFT fft;
  fft.Init(n);
  fft.Transform(odd);
  fft.Transform(aligned.data());
  for (int i = 0; i < 2 * n; ++i) ASSERT_EQ(odd[i], aligned[i]) << i;
}

}  // namespace
}  // namespace velmio

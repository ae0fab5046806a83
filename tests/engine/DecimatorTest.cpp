#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "engine/Decimator.h"

namespace velmio {
namespace {

// The filter exactly as designed: terms summed left to right in double
// precision, every output kept (n + 22 of them).
std::vector<float> FilterAsDesigned(const std::vector<float>& x) {
  const double b[5] = {2.5736334992920717e-05, 1.0294533997168287e-04, 1.544180099575243e-04,
                       1.0294533997168287e-04, 2.5736334992920717e-05};
  const double a[5] = {1.0, -3.6100330247345265, 4.90434491410355, -2.9705734016854692,
                       0.676673293676332};
  const int total = static_cast<int>(x.size()) + 22;
  std::vector<double> in(total, 0.0), out(total, 0.0);
  for (std::size_t i = 0; i < x.size(); ++i) in[i] = x[i];
  std::vector<float> y(total);
  for (int m = 0; m < total; ++m) {
    double acc = 0.0;
    for (int j = 0; j <= 4; ++j) acc += m - j >= 0 ? b[j] * in[m - j] : 0.0;
    for (int j = 1; j <= 4; ++j) acc -= m - j >= 0 ? a[j] * out[m - j] : 0.0;
    out[m] = acc;
    y[m] = static_cast<float>(acc);
  }
  return y;
}

TEST(DecimateByTwo, KeepsEverySecondFilteredSampleFrom19) {
  std::mt19937 random(3);
  std::uniform_real_distribution<float> sample(-32768.0f, 32767.0f);
  for (int n : {32, 64, 1024, 4096}) {
    std::vector<float> x(n);
    for (float& v : x) v = sample(random);
    const std::vector<float> y = FilterAsDesigned(x);
    std::vector<float> out(n / 2);
    DecimateByTwo(n, x.data(), out.data());
    for (int k = 0; k < n / 2; ++k) {
      // Only the double-precision summation order differs: at most one float
      // rounding step apart, relative to the output's own magnitude.
      ASSERT_NEAR(out[k], y[19 + 2 * k], std::max(std::abs(y[19 + 2 * k]) * 1.2e-7f, 1e-30f))
          << "n=" << n << " k=" << k;
    }
  }
}

TEST(DecimateByTwo, UnityGainAtDc) {
  std::vector<float> x(4096, 1000.0f);
  std::vector<float> out(2048);
  DecimateByTwo(4096, x.data(), out.data());
  for (int k = 100; k < 2000; ++k) ASSERT_NEAR(out[k], 1000.0f, 1e-2f) << k;
}

TEST(DecimateByTwo, StopBandAttenuation) {
  // 0.25 of the input's Nyquist frequency is about 59 dB down.
  const int n = 1 << 14;
  std::vector<float> x(n);
  for (int i = 0; i < n; ++i) x[i] = static_cast<float>(10000.0 * std::sin(M_PI * 0.25 * i));
  std::vector<float> out(n / 2);
  DecimateByTwo(n, x.data(), out.data());
  double peak = 0;
  for (int k = 1000; k < n / 2 - 100; ++k) peak = std::max(peak, std::abs(double{out[k]}));
  EXPECT_LT(20 * std::log10(peak / 10000.0), -55.0);
}

}  // namespace
}  // namespace velmio

#include "IndependentAnalysis.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>

namespace velmio::testing {
namespace {

struct Kernel {
  int decimation = 1;
  std::vector<std::complex<double>> taps;  // length a multiple of 4
};

float P2(float x) {
  return static_cast<float>(std::pow(2.0, double{x}));
}

Kernel MakeKernel(const IndependentSettings& s, int bin) {
  const int n = s.bins;
  const float delta = 0.5f - P2(static_cast<float>(-n));
  const float f0 = P2((-57.0f - delta) * (1.0f / 12.0f)) * static_cast<float>(s.a4);
  const float f = P2(static_cast<float>(bin) * (1.0f / static_cast<float>(12 * n))) * f0;
  const float fs = static_cast<float>(s.rate);
  const int hop = s.rate * 256 / 44100;
  int len = s.mode == 0
                ? static_cast<int>(std::floor((1.0f / (P2(1.0f / (12 * n)) - 1.0f)) * fs / f + 0.5))
                : static_cast<int>(24.0f * fs / f);
  len = std::max(len, hop);
  Kernel k;
  const double fd0 = f;
  k.decimation = fd0 < 32.703    ? 32
                 : fd0 < 65.406  ? 16
                 : fd0 < 130.812 ? 8
                 : fd0 < 261.624 ? 4
                 : fd0 < 523.248 ? 2
                                 : 1;
  const int taps =
      static_cast<int>(double{static_cast<float>(len) / static_cast<float>(k.decimation)} + 0.999);
  k.taps.assign((taps + 3) / 4 * 4, 0.0);
  const double fd = double{f} * k.decimation;
  std::vector<double> w(taps);
  double sum = 0;
  for (int i = 0; i < taps; ++i) {
    if (s.mode == 0) {
      w[i] = 0.54 - 0.46 * std::cos(2 * M_PI * i / taps);
    } else {
      const double span = s.rate * 23.8 / fd, q = span / 4;
      w[i] = i < q ? i / q : i < 0.75 * span ? 1.0 : i < span ? (span - i) / q : 0.0;
    }
    sum += w[i];
  }
  for (int i = 0; i < taps; ++i) {
    k.taps[i] = std::polar(w[i] / sum / 32768.0, -2 * M_PI * fd * i / s.rate);
  }
  return k;
}

std::vector<double> Halve(const std::vector<double>& x) {
  const double b0 = 2.5736334992920717e-05, a[5] = {1, -3.6100330247345265, 4.90434491410355,
                                                    -2.9705734016854692, 0.676673293676332};
  const double b[5] = {b0, 4 * b0, 6 * b0, 4 * b0, b0};
  const std::size_t n = x.size();
  std::vector<double> y(n + 22, 0.0);
  for (std::size_t m = 0; m < n + 22; ++m) {
    double acc = 0;
    for (std::size_t j = 0; j <= 4 && j <= m; ++j)
      acc += b[j] * (m - j < n ? x[m - j] : 0.0) - (j ? a[j] * y[m - j] : 0.0);
    y[m] = acc;
  }
  std::vector<double> out(n / 2);
  for (std::size_t k = 0; k < n / 2; ++k) out[k] = y[19 + 2 * k];
  return out;
}

}  // namespace

IndependentResult AnalyseIndependently(const std::vector<double>& mono,
                                       const IndependentSettings& s) {
  const int hop = s.rate * 256 / 44100;
  const int padded = (static_cast<int>(mono.size()) + 31) / 32 * 32;
  std::vector<std::vector<double>> signals(6);
  signals[0] = mono;
  signals[0].resize(padded, 0.0);
  for (int i = 1; i < 6; ++i) signals[i] = Halve(signals[i - 1]);

  IndependentResult r;
  r.frames = (padded / hop + 3) / 4 * 4;
  r.rows = 8 * (s.high - s.low);
  r.levelDb.assign(static_cast<std::size_t>(r.rows) * r.frames, 0.0);
  r.energy.assign(r.frames, 0.0);
  const int binCount = s.bins * (s.high - s.low);
  for (int k = 0; k < binCount; ++k) {
    const Kernel kernel = MakeKernel(s, s.low * s.bins + k);
    const std::vector<double>& x = signals[std::countr_zero(unsigned(kernel.decimation))];
    const int length = static_cast<int>(kernel.taps.size());
    for (int t = 0; t < r.frames; ++t) {
      const long h = static_cast<long>(t) * hop / kernel.decimation - length / 2;
      double power = 0;
      if (h + 1 >= 0 && h + length < static_cast<long>(x.size())) {
        std::complex<double> dot = 0;
        for (int j = 0; j < length; ++j) dot += x[h + 1 + j] * kernel.taps[j];
        power = std::norm(dot);
      }
      r.energy[t] += power;
      const double db = power > 0 ? 10 * std::log10(power) : -382.29;
      for (int row = (binCount - 1 - k) * 8 / s.bins, c = 0; c < 8 / s.bins; ++c) {
        r.levelDb[static_cast<std::size_t>(row + c) * r.frames + t] = db;
      }
    }
  }
  return r;
}

}  // namespace velmio::testing

#pragma once
// The tempo estimate written out plainly, for the tests to check the
// product's against: a direct DFT of the onset signal in double precision
// for only the bins it reads, the rules on doubles. The search band, the
// visibility test of a cell and the start time keep their single-precision
// constants, because they decide which bins and frames count.
#include <algorithm>
#include <complex>
#include <cstddef>
#include <numbers>
#include <vector>

namespace velmio::testing {

struct ReferenceTempoResult {
  int tempo = 0;
  int beatsPerBarIndex = 0;  // 0, 1, 2 for 2, 3, 4 beats
  int startMs = 0;
};

// `levels`: rows x energy.size() dB values, row-major (may be empty with rows 0).
inline ReferenceTempoResult ReferenceTempo(const std::vector<float>& energy,
                                           const std::vector<float>& levels, int rows, int top,
                                           int range) {
  const int f = static_cast<int>(energy.size());
  int n = 1;
  while (n < f) n *= 2;
  std::vector<double> onset(n, 0.0);
  for (int i = 1; i <= f - 2; ++i) {
    onset[i] = std::max(0.0, double(energy[i + 1]) - double(energy[i - 1]));
  }
  const float seconds = float(n) * 0.0058049886f;
  const int lo = int(seconds * 50.0f * 0.016666668f);
  const int hi = int(seconds * 200.0f * 0.016666668f);
  const int count = 4 * hi - lo;
  std::vector<double> p(std::max(count, 0));
  for (int i = 0; i < count; ++i) {
    std::complex<double> sum;
    for (int j = 0; j < n; ++j) {
      if (onset[j] == 0.0) continue;
      sum += onset[j] * std::polar(1.0, -2.0 * std::numbers::pi * double(lo + i) * j / n);
    }
    p[i] = std::norm(sum);
  }
  const auto at = [&](int i) { return i >= 0 && i < count ? p[i] : 0.0; };
  const auto windowMax = [&](int first, int* index) {
    double best = 0.0;
    for (int i = std::max(first, 0); i < first + 32; ++i) {
      if (at(i) > best) {
        best = at(i);
        if (index != nullptr) *index = i;
      }
    }
    return best;
  };
  int h = 0;
  double m = 0.0;
  for (int i = 0; i < hi - lo; ++i) {
    if (p[i] > m) m = p[i], h = i;
  }
  int t = 0;
  const double u = windowMax((h + lo) / 2 - lo - 16, &t);
  if (3.0 * u > m) h = t, m = u;
  const int b = h + lo;
  const double w2 = windowMax(2 * b - lo - 16, nullptr);
  const double w3 = windowMax(3 * b - lo - 16, nullptr);
  const double w4 = windowMax(4 * b - lo - 16, nullptr);

  ReferenceTempoResult r;
  r.beatsPerBarIndex = 1.2 * w3 >= m ? 1 : w2 >= 2.0 * w4 ? 0 : 2;
  const int h2 = at(h - 1) > at(h + 1) ? h - 1 : h + 1;
  const double d = m / (at(h2) + m);
  const double bpmPerBin = 172.265625 * 60.0 / n;
  r.tempo = int((lo + h2) * bpmPerBin * (1.0 - d) + b * bpmPerBin * d + 0.5);

  int first = -1;
  for (int k = 0; k < f && first < 0; ++k) {
    for (int row = 0; row < rows; ++row) {
      const float level = levels[std::size_t(row) * f + k];
      if (int((float(range) + level + float(top)) * (255.0f / float(range))) >= 1) {
        first = k;
        break;
      }
    }
  }
  r.startMs = first < 0 ? 0 : int(float(first * 1000) * 0.0058049886f + 0.5f);
  return r;
}

}  // namespace velmio::testing

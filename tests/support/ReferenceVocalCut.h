#pragma once
// A plain reference of vocal cut and extract for the tests to check the
// product's against: a textbook radix-2 FFT in double precision, four
// transforms a frame, no threads.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

namespace velmio::testing {

inline void ReferenceFft(std::vector<std::complex<double>>& a, int sign) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> step = std::polar(1.0, sign * 2.0 * std::numbers::pi / double(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w = 1.0;
      for (std::size_t k = 0; k < len / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// Vocal cut (mode 1) or extract (2) of interleaved stereo `pcm` as defined:
// per frame a transform of each channel, the gain mask, the inverse
// transforms and the overlap-add, in one pass, in double precision except
// where a value decides an integer (the Q15 window, the band's first bin).
inline std::vector<int16_t> ReferenceVocalCut(const std::vector<int16_t>& pcm, int mode,
                                              int lowestNote, int a4) {
  const int n = 2048;
  const int64_t frames = static_cast<int64_t>(pcm.size() / 2);
  std::vector<double> w(n), ws(n);
  std::vector<int32_t> wq(n);
  for (int i = 0; i < n; ++i) {
    const auto wf = static_cast<float>(0.5 * (1.0 - std::cos(6.283185307 * i / 2048.0)));
    w[i] = wf;
    wq[i] = static_cast<int32_t>(wf * 32767.0f);
    ws[i] = double(wf) / 65534.0;
  }
  const float exponent = (float(lowestNote) - 33.5f) * (1.0f / 12.0f);
  const float low = float(a4) * float(std::pow(2.0, double(exponent))) + 0.5f;
  const int kL = std::max(1, int(low * 2048.0f * (1.0f / 44100.0f)));
  const int kH = 743;
  std::vector<double> out(pcm.size(), 0.0);
  std::vector<double> g(n, mode == 1 ? 1.0 : 0.0);
  for (int64_t s = 0; s < frames - n; s += 256) {
    std::vector<std::complex<double>> a(n), b(n);
    for (int i = 0; i < n; ++i) {
      a[i] = double(int32_t{pcm[2 * (s + i)]} * wq[i]) / n;
      b[i] = double(int32_t{pcm[2 * (s + i) + 1]} * wq[i]) / n;
    }
    ReferenceFft(a, -1);
    ReferenceFft(b, -1);
    for (int k = kL; k <= kH; ++k) {
      const double pa = std::norm(a[k] + 0.001), pb = std::norm(b[k] + 0.001);
      const double m = std::clamp(std::min(pa / pb, pb / pa), 0.16, 0.36);
      const double v = (m - 0.16) * 5.0;
      g[k] = g[n - k] = mode == 1 ? 1.0 - v : v;
    }
    for (int k = 0; k < n; ++k) a[k] *= g[k], b[k] *= g[k];
    ReferenceFft(a, +1);
    ReferenceFft(b, +1);
    for (int i = 0; i < n; ++i) {
      out[2 * (s + i)] += a[i].real() * ws[i];
      out[2 * (s + i) + 1] += b[i].real() * ws[i];
    }
  }
  std::vector<int16_t> result(pcm.size());
  for (std::size_t i = 0; i < pcm.size(); ++i)
    result[i] = static_cast<int16_t>(std::clamp(std::nearbyint(out[i]), -32768.0, 32767.0));
  return result;
}

}  // namespace velmio::testing

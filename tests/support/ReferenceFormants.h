#pragma once
// A plain formant marker for comparisons: sequential double sums, the
// textbook recursion, FFTW called directly and a per-bin peak test;
// single-threaded, nothing shared with the shipped code.
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <numbers>
#include <vector>

namespace velmio::reference {

// False on a breakdown.
inline bool Lpc32(const float* x, std::vector<double>& a) {
  std::vector<double> r(33, 0.0);
  for (int k = 0; k <= 32; ++k)
    for (int j = 0; j + k < 2048; ++j) r[k] += static_cast<double>(x[j]) * x[j + k];
  a.assign(33, 0.0);
  a[0] = 1.0;
  double err = r[0];
  if (err <= 0) return false;
  for (int i = 1; i <= 32; ++i) {
    double acc = 0.0;
    for (int j = 0; j < i; ++j) acc += a[j] * r[i - j];
    const double k = -acc / err;
    std::vector<double> next = a;
    for (int j = 1; j < i; ++j) next[j] = a[j] + k * a[i - j];
    next[i] = k;
    a = next;
    err *= (1 - k * k);
    if (err <= 0) return false;
  }
  return true;
}

// The envelope through FFTW's own single-precision real transform, as the
// marks depend on its rounding near broad peaks.
inline std::vector<float> Envelope(const std::vector<double>& a) {
  float* in = fftwf_alloc_real(4096);
  fftwf_complex* out = fftwf_alloc_complex(2049);
  static std::mutex planning;
  fftwf_plan plan;
  {
    std::lock_guard lock(planning);
    plan = fftwf_plan_dft_r2c_1d(4096, in, out, FFTW_ESTIMATE);
  }
  std::fill(in, in + 4096, 0.0f);
  for (int n = 0; n <= 32; ++n) in[n + 1] = static_cast<float>(a[n]);
  fftwf_execute(plan);
  std::vector<float> e(2048);
  for (int i = 0; i < 2048; ++i) {
    const float m = std::sqrt(out[i][0] * out[i][0] + out[i][1] * out[i][1]);
    e[i] = m == 0.0f ? 2139095040.0f : 1.0f / m;
  }
  {
    std::lock_guard lock(planning);
    fftwf_destroy_plan(plan);
  }
  fftwf_free(in);
  fftwf_free(out);
  return e;
}

// The same envelope from a direct transform in double precision.
inline std::vector<double> ExactEnvelope(const std::vector<double>& a) {
  std::vector<double> e(2048);
  for (int i = 0; i < 2048; ++i) {
    double re = 0, im = 0;
    for (int n = 0; n <= 32; ++n) {
      const double c = static_cast<float>(a[n]);
      const double w = -2 * std::numbers::pi * (n + 1) * i / 4096.0;
      re += c * std::cos(w);
      im += c * std::sin(w);
    }
    e[i] = 1.0 / std::sqrt(re * re + im * im);
  }
  return e;
}

// Bins 1 ... 2046 only, each bin on its own: a top with enough rises before
// it and falls after it. A run's first rise counts only when it is more than
// a millionth of the larger value (runs that start on an equal value begin
// with an uncounted step); the first fall must be as large.
inline std::vector<int> Peaks(const std::vector<float>& e, int m = 16) {
  const auto differs = [](float a, float b) {
    return std::fabs(a - b) > 1e-6f * std::max(a, b);
  };
  std::vector<int> peaks;
  const int n = static_cast<int>(e.size());
  for (int j = 1; j + 1 < n; ++j) {
    if (!(e[j] >= e[j - 1] && e[j] > e[j + 1] && differs(e[j], e[j + 1]))) continue;
    int k = j;
    while (k >= 1 && e[k] > e[k - 1]) --k;
    int rise = j - k;
    if (!(k >= 1 && e[k] == e[k - 1]) && rise > 0 && !differs(e[k + 1], e[k])) --rise;
    int fall = 0;
    for (int q = j; q + 1 < n && e[q + 1] < e[q]; ++q) ++fall;
    if (rise >= std::min(j, m) && fall >= std::min(n - 1 - j, m)) peaks.push_back(j);
  }
  return peaks;
}

// The R x F mask.
inline std::vector<uint8_t> FormantMask(const std::vector<float>& x, int frames, int hop,
                                        int lowNote, int highNote, int sensitivity, int a4 = 440) {
  const int rows = 8 * (highNote - lowNote);
  std::vector<uint8_t> mask(static_cast<std::size_t>(rows) * frames, 0);
  const float gate = sensitivity == 0 || sensitivity == 1 ? 3276.8f : 327.68f;
  const float k12 = 12.0f / static_cast<float>(std::log(2.0));
  for (int t = 0; t < frames; ++t) {
    const long o = static_cast<long>(t) * hop;
    if (o + 2048 >= static_cast<long>(x.size())) break;
    float peak = 0;
    for (int j = 0; j < 2048; ++j) peak = std::max(peak, x[o + j]);
    if (peak <= gate) continue;
    std::vector<double> a;
    if (!Lpc32(x.data() + o, a)) continue;
    int count = 0;
    for (int bin : Peaks(Envelope(a))) {
      const int v = static_cast<int>(
          8.0f * (k12 * std::log(static_cast<float>(bin) * 0.00048828125f * 22050.0f /
                                 static_cast<float>(a4)) +
                  57.5f));
      const int row = 8 * highNote - v;
      if (row > 0 && row < rows - 1 && t + 4 < frames)
        for (int r = row - 1; r <= row + 1; ++r) mask[static_cast<std::size_t>(r) * frames + t + 4] = 1;
      if (sensitivity == 0 && ++count == 4) break;
    }
  }
  return mask;
}

}  // namespace velmio::reference

#pragma once
// A straightforward TD-PSOLA written from the algorithm's description, for
// comparing the shipped converter with: one grain at a time, the window from
// sin() in double precision, a plain double accumulator as long as the grains
// need, the spline in double. Only the choices that decide which grains and
// samples come out are taken in single precision as the algorithm states
// (1 / pr, pr / fr, P / q); everything else is free to round differently, so
// the two agree within a couple of LSB, not bit for bit.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace velmio::test {

struct ReferencePsolaResult {
  std::vector<int16_t> out;  // Lout samples (as many as fit the recording)
  int32_t lola = 0;
  int32_t lout = 0;
  bool placed = false;
};

inline ReferencePsolaResult ReferencePsola(const std::vector<float>& x,
                                           const std::vector<int32_t>& m, int32_t nSrc,
                                           float pr, float fr) {
  ReferencePsolaResult r;
  const int32_t markCount = static_cast<int32_t>(m.size()) - 1;
  const size_t capacity = 2 * static_cast<size_t>(nSrc);  // dataSize entries
  std::vector<double> acc(capacity + 1, 0.0);
  const float inc = 1.0f / pr;
  const float q = pr / fr;
  double pos = 0.0;
  long g = 0;
  int h = 0;
  int k = 0;
  if (markCount - 2 <= 0) return r;
  while (true) {
    pos += inc;
    k = static_cast<int>(std::ceil(pos));
    if (k >= markCount) break;
    const int period = m[k + 1] - m[k];
    const int hk = static_cast<int>(std::floor(static_cast<float>(period) / q));
    if (hk > 0) {
      for (int i = 0; i <= 2 * hk; ++i) {
        const double w = std::sin(i * M_PI / (2.0 * hk));
        const long s = m[k] + i;
        const size_t at = static_cast<size_t>(g + i);
        if (s < nSrc && at < capacity) acc[at] += w * w * x[s];
      }
      g += hk;
      h = hk;
      r.placed = true;
    }
    if (!(k < markCount - 2)) break;
  }
  if (!r.placed) return r;
  long lola = std::min<long>(g - h + 1, static_cast<long>(capacity));
  const long lout = m[std::min(k, markCount)] - m[0] + 1;
  acc[lola] = acc[lola - 1];
  r.lola = static_cast<int32_t>(lola);
  r.lout = static_cast<int32_t>(lout);
  for (long i = 0; i < std::min<long>(lout, nSrc); ++i) {
    const double o = static_cast<double>(i) * lola / lout;
    const long j = static_cast<long>(o);
    const double t = o - j;
    double y;
    if (j > 0 && j < lola - 1) {
      // Natural cubic spline through the four points at -1, 0, 1, 2: solve
      // for the inner second derivatives (the outer ones are 0), then
      // evaluate the usual piecewise form between the middle two.
      const double y0 = acc[j - 1], y1 = acc[j], y2 = acc[j + 1], y3 = acc[j + 2];
      const double a = 6.0 * (y0 - 2.0 * y1 + y2);
      const double c = 6.0 * (y1 - 2.0 * y2 + y3);
      const double m1 = (4.0 * a - c) / 15.0;
      const double m2 = (4.0 * c - a) / 15.0;
      const double b = 1.0 - t;
      y = b * y1 + t * y2 + (b * b * b - b) * m1 / 6.0 + (t * t * t - t) * m2 / 6.0;
    } else {
      y = (1.0 - t) * acc[j] + t * acc[j + 1];
    }
    const double clamped = std::clamp(std::trunc(y), -32767.0, 32767.0);
    r.out.push_back(static_cast<int16_t>(clamped));
  }
  return r;
}

}  // namespace velmio::test

#include "audio/ConversionResample.h"

#include <cmath>

namespace velmio {

void ResampleSplineScalar(const float* acc, int64_t lola, int64_t lout, int16_t* out, int64_t from,
                          int64_t to) {
  const double step = 1.0 / static_cast<double>(lout);
  const double length = static_cast<double>(lola);
  for (int64_t i = from; i < to; ++i) {
    const double o = static_cast<double>(i) * length * step;
    const double whole = std::floor(o);
    const float t = static_cast<float>(o - whole);
    const int64_t j = static_cast<int64_t>(whole);
    const float b = 1.0f - t;
    const float d = (t * t - 1.0f) * t * (1.0f / 6.0f);
    const float e = (b * b - 1.0f) * b * (1.0f / 6.0f);
    float y = (b + 0.2f * (12.0f * d - 18.0f * e)) * acc[j] +
              0.2f * (8.0f * e - 2.0f * d) * acc[j - 1];
    y = y + (t + 0.2f * (12.0f * e - 18.0f * d)) * acc[j + 1];
    y = y + 0.2f * (8.0f * d - 2.0f * e) * acc[j + 2];
    // Truncated toward zero inside the symmetric 16-bit range.
    y = std::fmin(std::fmax(y, -32767.0f), 32767.0f);
    out[i] = static_cast<int16_t>(y);
  }
}

void ResampleSpline(SimdLevel level, const float* acc, int64_t lola, int64_t lout, int16_t* out,
                    int64_t from, int64_t to) {
#ifdef VELMIO_HAVE_AVX2_RESAMPLE
  if (level == SimdLevel::kAvx2Fma) {
    ResampleSplineAvx2(acc, lola, lout, out, from, to);
    return;
  }
#endif
  (void)level;
  ResampleSplineScalar(acc, lola, lout, out, from, to);
}

}  // namespace velmio

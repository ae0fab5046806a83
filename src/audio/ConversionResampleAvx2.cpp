// Eight output samples at a time: positions in double as the scalar loop
// forms them, the spline points gathered, the spline in single precision.
#include <immintrin.h>

#include "audio/ConversionResample.h"

namespace velmio {

void ResampleSplineAvx2(const float* acc, int64_t lola, int64_t lout, int16_t* out, int64_t from,
                        int64_t to) {
  const double step = 1.0 / static_cast<double>(lout);
  const __m256d length = _mm256_set1_pd(static_cast<double>(lola));
  const __m256d stepv = _mm256_set1_pd(step);
  const __m256 one = _mm256_set1_ps(1.0f);
  const __m256 sixth = _mm256_set1_ps(1.0f / 6.0f);
  const __m256 fifth = _mm256_set1_ps(0.2f);
  const __m256 c2 = _mm256_set1_ps(2.0f), c8 = _mm256_set1_ps(8.0f);
  const __m256 c12 = _mm256_set1_ps(12.0f), c18 = _mm256_set1_ps(18.0f);
  const __m256 high = _mm256_set1_ps(32767.0f), low = _mm256_set1_ps(-32767.0f);
  const __m256i minusOne = _mm256_set1_epi32(-1);
  int64_t i = from;
  for (; i + 8 <= to; i += 8) {
    const double base = static_cast<double>(i);
    const __m256d i0 = _mm256_setr_pd(base, base + 1, base + 2, base + 3);
    const __m256d i1 = _mm256_setr_pd(base + 4, base + 5, base + 6, base + 7);
    const __m256d o0 = _mm256_mul_pd(_mm256_mul_pd(i0, length), stepv);
    const __m256d o1 = _mm256_mul_pd(_mm256_mul_pd(i1, length), stepv);
    const __m256d w0 = _mm256_floor_pd(o0), w1 = _mm256_floor_pd(o1);
    const __m256 t = _mm256_set_m128(_mm256_cvtpd_ps(_mm256_sub_pd(o1, w1)),
                                     _mm256_cvtpd_ps(_mm256_sub_pd(o0, w0)));
    const __m256i j = _mm256_set_m128i(_mm256_cvttpd_epi32(w1), _mm256_cvttpd_epi32(w0));
    const __m256 a0 = _mm256_i32gather_ps(acc, _mm256_add_epi32(j, minusOne), 4);
    const __m256 a1 = _mm256_i32gather_ps(acc, j, 4);
    const __m256 a2 = _mm256_i32gather_ps(acc + 1, j, 4);
    const __m256 a3 = _mm256_i32gather_ps(acc + 2, j, 4);
    const __m256 b = _mm256_sub_ps(one, t);
    const __m256 d = _mm256_mul_ps(_mm256_mul_ps(_mm256_sub_ps(_mm256_mul_ps(t, t), one), t), sixth);
    const __m256 e = _mm256_mul_ps(_mm256_mul_ps(_mm256_sub_ps(_mm256_mul_ps(b, b), one), b), sixth);
    const __m256 k1 = _mm256_add_ps(
        b, _mm256_mul_ps(fifth, _mm256_sub_ps(_mm256_mul_ps(c12, d), _mm256_mul_ps(c18, e))));
    const __m256 k0 =
        _mm256_mul_ps(fifth, _mm256_sub_ps(_mm256_mul_ps(c8, e), _mm256_mul_ps(c2, d)));
    const __m256 k2 = _mm256_add_ps(
        t, _mm256_mul_ps(fifth, _mm256_sub_ps(_mm256_mul_ps(c12, e), _mm256_mul_ps(c18, d))));
    const __m256 k3 =
        _mm256_mul_ps(fifth, _mm256_sub_ps(_mm256_mul_ps(c8, d), _mm256_mul_ps(c2, e)));
    __m256 y = _mm256_add_ps(_mm256_mul_ps(k1, a1), _mm256_mul_ps(k0, a0));
    y = _mm256_add_ps(y, _mm256_mul_ps(k2, a2));
    y = _mm256_add_ps(y, _mm256_mul_ps(k3, a3));
    y = _mm256_min_ps(_mm256_max_ps(y, low), high);
    const __m256i whole = _mm256_cvttps_epi32(y);
    const __m128i packed =
        _mm_packs_epi32(_mm256_castsi256_si128(whole), _mm256_extracti128_si256(whole, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), packed);
  }
  ResampleSplineScalar(acc, lola, lout, out, i, to);
}

}  // namespace velmio

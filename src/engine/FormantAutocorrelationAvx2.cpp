// Built with -mavx2 -mfma; called only when the processor has both.
#include <immintrin.h>

#include "engine/FormantAutocorrelation.h"

namespace velmio {

// Lanes are lags: each sample is broadcast once and multiplied with the nine
// vectors of samples 0 ... 35 further on, so nine independent sums advance
// per sample and no horizontal reduction is needed.
void AutocorrelateAvx2(const double* x, int32_t n, double* r) {
  constexpr int kVectors = kAutocorrelationLags / 4;
  __m256d acc[kVectors];
  for (auto& a : acc) a = _mm256_setzero_pd();
  for (int32_t j = 0; j < n; ++j) {
    const __m256d xj = _mm256_broadcast_sd(x + j);
    for (int v = 0; v < kVectors; ++v) {
      acc[v] = _mm256_fmadd_pd(xj, _mm256_loadu_pd(x + j + 4 * v), acc[v]);
    }
  }
  for (int v = 0; v < kVectors; ++v) _mm256_storeu_pd(r + 4 * v, acc[v]);
}

void InvertMagnitudesAvx2(const float* spectrum, int32_t n, float zero, float* e) {
  const __m256 ones = _mm256_set1_ps(1.0f);
  const __m256 zeros = _mm256_setzero_ps();
  const __m256 large = _mm256_set1_ps(zero);
  for (int32_t i = 0; i < n; i += 8) {
    const __m256 a = _mm256_loadu_ps(spectrum + 2 * i);
    const __m256 b = _mm256_loadu_ps(spectrum + 2 * i + 8);
    // Pairs re^2 + im^2 come out as bins 0 1 4 5 2 3 6 7; the permute puts them in order.
    const __m256 sums = _mm256_hadd_ps(_mm256_mul_ps(a, a), _mm256_mul_ps(b, b));
    const __m256 power =
        _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(sums), 0xD8));
    const __m256 magnitude = _mm256_sqrt_ps(power);
    const __m256 inverse = _mm256_div_ps(ones, magnitude);
    const __m256 isZero = _mm256_cmp_ps(magnitude, zeros, _CMP_EQ_OQ);
    _mm256_storeu_ps(e + i, _mm256_blendv_ps(inverse, large, isZero));
  }
}

float LargestOrZeroAvx2(const float* x, int32_t n) {
  __m256 peak = _mm256_setzero_ps();
  for (int32_t i = 0; i < n; i += 8) peak = _mm256_max_ps(peak, _mm256_loadu_ps(x + i));
  __m128 half = _mm_max_ps(_mm256_castps256_ps128(peak), _mm256_extractf128_ps(peak, 1));
  half = _mm_max_ps(half, _mm_movehl_ps(half, half));
  half = _mm_max_ss(half, _mm_movehdup_ps(half));
  return _mm_cvtss_f32(half);
}

}  // namespace velmio

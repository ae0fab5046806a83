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

}  // namespace velmio

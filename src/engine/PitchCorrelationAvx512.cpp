// Built with -mavx512f and without contraction into multiply-adds: every lane
// rounds its product and its sum exactly as the scalar loop does.
#include <immintrin.h>

#include "engine/PitchCorrelation.h"

namespace velmio {

// The AVX2 loop on sixteen lags a vector: four vectors side by side hide the
// latency of the additions, and one broadcast of the head sample serves 64 lags.
void SumLagsAvx512(const LagSums& sums) {
  constexpr int32_t kBlocks = 4;
  constexpr int32_t kWide = kBlocks * 16;
  const int32_t d = sums.products;
  int32_t i = 0;
  for (; i + kWide <= sums.lagCount; i += kWide) {
    const float* shifted = sums.segment + sums.firstLag + i;
    __m512 acc[kBlocks];
    for (auto& a : acc) a = _mm512_setzero_ps();
    for (int32_t k = 0; k < d; ++k) {
      const __m512 head = _mm512_set1_ps(sums.head[k]);
      for (int32_t b = 0; b < kBlocks; ++b) {
        const __m512 product = _mm512_mul_ps(_mm512_loadu_ps(shifted + k + 16 * b), head);
        acc[b] = _mm512_add_ps(acc[b], product);
      }
    }
    for (int32_t b = 0; b < kBlocks; ++b) _mm512_storeu_ps(sums.out + i + 16 * b, acc[b]);
  }
  for (; i < sums.lagCount; i += 16) {
    const float* shifted = sums.segment + sums.firstLag + i;
    __m512 acc = _mm512_setzero_ps();
    for (int32_t k = 0; k < d; ++k) {
      const __m512 product =
          _mm512_mul_ps(_mm512_loadu_ps(shifted + k), _mm512_set1_ps(sums.head[k]));
      acc = _mm512_add_ps(acc, product);
    }
    _mm512_storeu_ps(sums.out + i, acc);
  }
}

}  // namespace velmio

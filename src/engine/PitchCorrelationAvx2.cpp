// Built with -mavx2 and without contraction into multiply-adds: every lane
// rounds its product and its sum exactly as the scalar loop does.
#include <immintrin.h>

#include "engine/PitchCorrelation.h"

namespace velmio {

// The vector lanes are lags, not products: lane j sums the products of lag
// firstLag + i + j one by one in the order of the scalar loop, so both builds
// give the same bits. Four blocks of eight lags run side by side, which
// hides the latency of the additions; the head sample is broadcast once
// for all 32 lags.
void SumLagsAvx2(const LagSums& sums) {
  constexpr int32_t kBlocks = 4;
  constexpr int32_t kWide = kBlocks * 8;
  const int32_t d = sums.products;
  int32_t i = 0;
  for (; i + kWide <= RoundUpTo8(sums.lagCount); i += kWide) {
    const float* shifted = sums.segment + sums.firstLag + i;
    __m256 acc[kBlocks];
    for (auto& a : acc) a = _mm256_setzero_ps();
    for (int32_t k = 0; k < d; ++k) {
      const __m256 head = _mm256_broadcast_ss(sums.head + k);
      for (int32_t b = 0; b < kBlocks; ++b) {
        const __m256 product = _mm256_mul_ps(_mm256_loadu_ps(shifted + k + 8 * b), head);
        acc[b] = _mm256_add_ps(acc[b], product);
      }
    }
    for (int32_t b = 0; b < kBlocks; ++b) _mm256_storeu_ps(sums.out + i + 8 * b, acc[b]);
  }
  for (; i < sums.lagCount; i += 8) {
    const float* shifted = sums.segment + sums.firstLag + i;
    __m256 acc = _mm256_setzero_ps();
    for (int32_t k = 0; k < d; ++k) {
      const __m256 product =
          _mm256_mul_ps(_mm256_loadu_ps(shifted + k), _mm256_broadcast_ss(sums.head + k));
      acc = _mm256_add_ps(acc, product);
    }
    _mm256_storeu_ps(sums.out + i, acc);
  }
}

void NormaliseLagsAvx2(const float* num, float e0, int32_t count, float* energyToR) {
  const __m256 e0s = _mm256_set1_ps(e0);
  for (int32_t i = 0; i < count; i += 8) {
    const __m256 energy = _mm256_loadu_ps(energyToR + i);
    const __m256 norm = _mm256_sqrt_ps(_mm256_mul_ps(energy, e0s));
    _mm256_storeu_ps(energyToR + i, _mm256_div_ps(_mm256_loadu_ps(num + i), norm));
  }
}

}  // namespace velmio

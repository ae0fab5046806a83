#include "engine/PitchCorrelation.h"

#include <cmath>

namespace velmio {

bool HasAvx512Lags() {
#if defined(VELMIO_HAVE_AVX2_ROWS)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0;
  }();
  return has;
#else
  return false;
#endif
}

void SumLagsScalar(const LagSums& sums) {
  for (int32_t i = 0; i < sums.lagCount; ++i) {
    const float* shifted = sums.segment + sums.firstLag + i;
    float num = 0.0f;
    for (int32_t k = 0; k < sums.products; ++k) num += shifted[k] * sums.head[k];
    sums.out[i] = num;
  }
}

void NormaliseLagsScalar(const float* num, float e0, int32_t count, float* energyToR) {
  for (int32_t i = 0; i < count; ++i) energyToR[i] = num[i] / std::sqrt(energyToR[i] * e0);
}

}  // namespace velmio

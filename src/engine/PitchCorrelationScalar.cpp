#include <cmath>

#include "engine/PitchCorrelation.h"

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

void SumSegmentScalar(SegmentSums& sums) {
  const float* s = sums.segment;
  const int32_t d = sums.products;
  float e0 = 1e-10f;
  float energy = 1e-10f;
  const float* beforeFirstLag = s + sums.firstLag - 1;
  for (int32_t k = 0; k < d; ++k) {
    e0 = AddSquare(e0, s[k]);
    energy = AddSquare(energy, beforeFirstLag[k]);
  }
  sums.e0 = e0;
  for (int32_t i = 0; i < sums.lagCount; ++i) {
    energy = SlideEnergy(energy, beforeFirstLag[i], beforeFirstLag[i + d]);
    sums.energy[i] = energy;
  }
  for (int32_t i = 0; i < sums.lagCount; ++i) {
    const float* shifted = s + sums.firstLag + i;
    float num = 0.0f;
    for (int32_t k = 0; k < d; ++k) num += shifted[k] * s[k];
    sums.num[i] = num;
  }
}

void NormaliseLagsScalar(const float* num, float e0, int32_t count, float* energyToR) {
  for (int32_t i = 0; i < count; ++i) energyToR[i] = num[i] / std::sqrt(energyToR[i] * e0);
}

}  // namespace velmio

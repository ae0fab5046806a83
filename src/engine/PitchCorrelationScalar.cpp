#include "engine/PitchCorrelation.h"

namespace velmio {

void SumLagsScalar(const LagSums& sums) {
  for (int32_t i = 0; i < sums.lagCount; ++i) {
    const float* shifted = sums.segment + sums.firstLag + i;
    float num = 0.0f;
    for (int32_t k = 0; k < sums.products; ++k) num += shifted[k] * sums.head[k];
    sums.out[i] = num;
  }
}

}  // namespace velmio

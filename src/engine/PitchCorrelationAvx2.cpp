// Built with -mavx2 and without contraction into multiply-adds: every lane
// rounds its product and its sum exactly as the scalar loop does.
#include <immintrin.h>

#include "engine/PitchCorrelationBlocks.h"

namespace velmio {
namespace {

struct Avx2Lanes {
  using Reg = __m256;
  static constexpr int32_t kLanes = 8;
  static constexpr int kMaxBlocks = 12;
  static Reg Zero() { return _mm256_setzero_ps(); }
  static Reg Broadcast(const float* p) { return _mm256_broadcast_ss(p); }
  static Reg Load(const float* p) { return _mm256_loadu_ps(p); }
  static void Store(float* p, Reg v) { _mm256_storeu_ps(p, v); }
  static Reg Mul(Reg a, Reg b) { return _mm256_mul_ps(a, b); }
  static Reg Add(Reg a, Reg b) { return _mm256_add_ps(a, b); }
};

}  // namespace

void SumSegmentAvx2(SegmentSums& sums) {
  SumSegmentBlocks<Avx2Lanes>(sums);
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

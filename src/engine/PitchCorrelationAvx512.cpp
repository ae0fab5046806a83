// Built with -mavx512f and without contraction into multiply-adds: every lane
// rounds its product and its sum exactly as the scalar loop does.
#include <immintrin.h>

#include "engine/PitchCorrelationBlocks.h"

namespace velmio {
namespace {

struct Avx512Lanes {
  using Reg = __m512;
  static constexpr int32_t kLanes = 16;
  static constexpr int kMaxBlocks = 8;
  static Reg Zero() { return _mm512_setzero_ps(); }
  static Reg Broadcast(const float* p) { return _mm512_set1_ps(*p); }
  static Reg Load(const float* p) { return _mm512_loadu_ps(p); }
  static void Store(float* p, Reg v) { _mm512_storeu_ps(p, v); }
  static Reg Mul(Reg a, Reg b) { return _mm512_mul_ps(a, b); }
  static Reg Add(Reg a, Reg b) { return _mm512_add_ps(a, b); }
};

}  // namespace

void SumSegmentAvx512(SegmentSums& sums) {
  SumSegmentBlocks<Avx512Lanes>(sums);
}

}  // namespace velmio

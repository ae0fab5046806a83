#include <immintrin.h>

#include "engine/ConstantQRow.h"

namespace velmio {
namespace {

float HorizontalSum(__m128 v) {
  __m128 shuffled = _mm_movehdup_ps(v);
  __m128 sums = _mm_add_ps(v, shuffled);
  shuffled = _mm_movehl_ps(shuffled, sums);
  return _mm_cvtss_f32(_mm_add_ss(sums, shuffled));
}

// Four frames share each load of the kernel.
void ComputeFourFrames(const BinRun& run, int t, float* out) {
  const float* x[4];
  for (int f = 0; f < 4; ++f)
    x[f] = run.signal + WindowStart(t + f, run.hop, run.decimationShift, run.length);
  __m128 re[4] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
  __m128 im[4] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
  for (int j = 0; j < run.length; j += 4) {
    const __m128 kr = _mm_load_ps(run.kernelRe + j);
    const __m128 ki = _mm_load_ps(run.kernelIm + j);
    for (int f = 0; f < 4; ++f) {
      const __m128 xv = _mm_loadu_ps(x[f] + j);
      re[f] = _mm_add_ps(re[f], _mm_mul_ps(xv, kr));
      im[f] = _mm_add_ps(im[f], _mm_mul_ps(xv, ki));
    }
  }
  for (int f = 0; f < 4; ++f) {
    const float r = HorizontalSum(re[f]);
    const float i = HorizontalSum(im[f]);
    out[f] = r * r + i * i;
  }
}

void ComputeOneFrame(const BinRun& run, int t) {
  const float* x = run.signal + WindowStart(t, run.hop, run.decimationShift, run.length);
  __m128 re = _mm_setzero_ps();
  __m128 im = _mm_setzero_ps();
  for (int j = 0; j < run.length; j += 4) {
    const __m128 xv = _mm_loadu_ps(x + j);
    re = _mm_add_ps(re, _mm_mul_ps(xv, _mm_load_ps(run.kernelRe + j)));
    im = _mm_add_ps(im, _mm_mul_ps(xv, _mm_load_ps(run.kernelIm + j)));
  }
  const float r = HorizontalSum(re);
  const float i = HorizontalSum(im);
  run.power[t] = r * r + i * i;
}

}  // namespace

void ComputeBinRunSse4(const BinRun& run) {
  int t = run.frameBegin;
  for (; t + 4 <= run.frameEnd; t += 4) ComputeFourFrames(run, t, run.power + t);
  for (; t < run.frameEnd; ++t) ComputeOneFrame(run, t);
}

}  // namespace velmio

// Built with -mavx2 -mfma; called only when the processor has both.
#include <immintrin.h>

#include "engine/ConstantQRow.h"

namespace velmio {
namespace {

float HorizontalSum(__m256 v) {
  __m128 sums = _mm_add_ps(_mm256_castps256_ps128(v), _mm256_extractf128_ps(v, 1));
  __m128 shuffled = _mm_movehdup_ps(sums);
  sums = _mm_add_ps(sums, shuffled);
  shuffled = _mm_movehl_ps(shuffled, sums);
  return _mm_cvtss_f32(_mm_add_ss(sums, shuffled));
}

float HorizontalSum(__m128 v) {
  __m128 shuffled = _mm_movehdup_ps(v);
  __m128 sums = _mm_add_ps(v, shuffled);
  shuffled = _mm_movehl_ps(shuffled, sums);
  return _mm_cvtss_f32(_mm_add_ss(sums, shuffled));
}

// Four frames share each load of the kernel: eight taps a step, eight
// independent accumulators, which keeps both FMA units busy. A kernel whose
// length is 4 mod 8 ends with one 4-tap step, so nothing is read past the
// kernel's last tap or past the window's last sample.
void ComputeFourFrames(const BinRun& run, int t, float* out) {
  const float* x0 = run.signal + WindowStart(t, run.hop, run.decimationShift, run.length);
  const float* x1 = run.signal + WindowStart(t + 1, run.hop, run.decimationShift, run.length);
  const float* x2 = run.signal + WindowStart(t + 2, run.hop, run.decimationShift, run.length);
  const float* x3 = run.signal + WindowStart(t + 3, run.hop, run.decimationShift, run.length);
  __m256 re0 = _mm256_setzero_ps(), re1 = _mm256_setzero_ps();
  __m256 re2 = _mm256_setzero_ps(), re3 = _mm256_setzero_ps();
  __m256 im0 = _mm256_setzero_ps(), im1 = _mm256_setzero_ps();
  __m256 im2 = _mm256_setzero_ps(), im3 = _mm256_setzero_ps();
  const int whole = run.length & ~7;
  for (int j = 0; j < whole; j += 8) {
    const __m256 kr = _mm256_load_ps(run.kernelRe + j);
    const __m256 ki = _mm256_load_ps(run.kernelIm + j);
    __m256 xv = _mm256_loadu_ps(x0 + j);
    re0 = _mm256_fmadd_ps(xv, kr, re0);
    im0 = _mm256_fmadd_ps(xv, ki, im0);
    xv = _mm256_loadu_ps(x1 + j);
    re1 = _mm256_fmadd_ps(xv, kr, re1);
    im1 = _mm256_fmadd_ps(xv, ki, im1);
    xv = _mm256_loadu_ps(x2 + j);
    re2 = _mm256_fmadd_ps(xv, kr, re2);
    im2 = _mm256_fmadd_ps(xv, ki, im2);
    xv = _mm256_loadu_ps(x3 + j);
    re3 = _mm256_fmadd_ps(xv, kr, re3);
    im3 = _mm256_fmadd_ps(xv, ki, im3);
  }
  float re[4] = {HorizontalSum(re0), HorizontalSum(re1), HorizontalSum(re2), HorizontalSum(re3)};
  float im[4] = {HorizontalSum(im0), HorizontalSum(im1), HorizontalSum(im2), HorizontalSum(im3)};
  if (whole < run.length) {
    const __m128 kr = _mm_load_ps(run.kernelRe + whole);
    const __m128 ki = _mm_load_ps(run.kernelIm + whole);
    const float* windows[4] = {x0, x1, x2, x3};
    for (int f = 0; f < 4; ++f) {
      const __m128 xv = _mm_loadu_ps(windows[f] + whole);
      re[f] += HorizontalSum(_mm_mul_ps(xv, kr));
      im[f] += HorizontalSum(_mm_mul_ps(xv, ki));
    }
  }
  for (int f = 0; f < 4; ++f) out[f] = re[f] * re[f] + im[f] * im[f];
}

// The same four frames read from 32-byte boundaries with the lead-padded
// kernel: whole 8-tap steps only, every load aligned.
void ComputeFourFramesAligned(const BinRun& run, const float* x0, float* out) {
  const int64_t step = WindowStart(1, run.hop, run.decimationShift, run.length) -
                       WindowStart(0, run.hop, run.decimationShift, run.length);
  const float* x1 = x0 + step;
  const float* x2 = x1 + step;
  const float* x3 = x2 + step;
  __m256 re0 = _mm256_setzero_ps(), re1 = _mm256_setzero_ps();
  __m256 re2 = _mm256_setzero_ps(), re3 = _mm256_setzero_ps();
  __m256 im0 = _mm256_setzero_ps(), im1 = _mm256_setzero_ps();
  __m256 im2 = _mm256_setzero_ps(), im3 = _mm256_setzero_ps();
  for (int j = 0; j < run.alignedLength; j += 8) {
    const __m256 kr = _mm256_load_ps(run.alignedRe + j);
    const __m256 ki = _mm256_load_ps(run.alignedIm + j);
    __m256 xv = _mm256_load_ps(x0 + j);
    re0 = _mm256_fmadd_ps(xv, kr, re0);
    im0 = _mm256_fmadd_ps(xv, ki, im0);
    xv = _mm256_load_ps(x1 + j);
    re1 = _mm256_fmadd_ps(xv, kr, re1);
    im1 = _mm256_fmadd_ps(xv, ki, im1);
    xv = _mm256_load_ps(x2 + j);
    re2 = _mm256_fmadd_ps(xv, kr, re2);
    im2 = _mm256_fmadd_ps(xv, ki, im2);
    xv = _mm256_load_ps(x3 + j);
    re3 = _mm256_fmadd_ps(xv, kr, re3);
    im3 = _mm256_fmadd_ps(xv, ki, im3);
  }
  const float re[4] = {HorizontalSum(re0), HorizontalSum(re1), HorizontalSum(re2), HorizontalSum(re3)};
  const float im[4] = {HorizontalSum(im0), HorizontalSum(im1), HorizontalSum(im2), HorizontalSum(im3)};
  for (int f = 0; f < 4; ++f) out[f] = re[f] * re[f] + im[f] * im[f];
}

// Start of the aligned read for frames t..t+3, or null when the padded
// kernel would reach outside the signal (only ever at its two ends).
const float* AlignedWindows(const BinRun& run, int t) {
  if (run.alignedRe == nullptr) return nullptr;
  const int64_t first = WindowStart(t, run.hop, run.decimationShift, run.length) - run.lead;
  const int64_t last = WindowStart(t + 3, run.hop, run.decimationShift, run.length) - run.lead;
  if (first < 0 || last + run.alignedLength > run.signalLength) return nullptr;
  return run.signal + first;
}

void ComputeOneFrame(const BinRun& run, int t) {
  const float* x = run.signal + WindowStart(t, run.hop, run.decimationShift, run.length);
  __m256 re8 = _mm256_setzero_ps();
  __m256 im8 = _mm256_setzero_ps();
  const int whole = run.length & ~7;
  for (int j = 0; j < whole; j += 8) {
    const __m256 xv = _mm256_loadu_ps(x + j);
    re8 = _mm256_fmadd_ps(xv, _mm256_load_ps(run.kernelRe + j), re8);
    im8 = _mm256_fmadd_ps(xv, _mm256_load_ps(run.kernelIm + j), im8);
  }
  float re = HorizontalSum(re8);
  float im = HorizontalSum(im8);
  if (whole < run.length) {
    const __m128 xv = _mm_loadu_ps(x + whole);
    re += HorizontalSum(_mm_mul_ps(xv, _mm_load_ps(run.kernelRe + whole)));
    im += HorizontalSum(_mm_mul_ps(xv, _mm_load_ps(run.kernelIm + whole)));
  }
  run.power[t] = re * re + im * im;
}

}  // namespace

void ComputeBinRunAvx2(const BinRun& run) {
  int t = run.frameBegin;
  for (; t + 4 <= run.frameEnd; t += 4) {
    if (const float* aligned = AlignedWindows(run, t)) {
      ComputeFourFramesAligned(run, aligned, run.power + t);
    } else {
      ComputeFourFrames(run, t, run.power + t);
    }
  }
  for (; t < run.frameEnd; ++t) ComputeOneFrame(run, t);
}

}  // namespace velmio

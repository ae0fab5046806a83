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

// Four windows share each load of the kernel: eight taps a step, eight
// independent accumulators, which keeps both FMA units busy. `taps` is a
// multiple of 8; aligned windows start on 32-byte boundaries.
template <bool kAligned>
void SumFourWindows(const float* const x[4], const float* kernelRe, const float* kernelIm, int taps,
                    float re[4], float im[4]) {
  __m256 sumRe[4] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
  __m256 sumIm[4] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
  for (int j = 0; j < taps; j += 8) {
    const __m256 kr = _mm256_load_ps(kernelRe + j);
    const __m256 ki = _mm256_load_ps(kernelIm + j);
#pragma GCC unroll 4
    for (int f = 0; f < 4; ++f) {
      const __m256 xv = kAligned ? _mm256_load_ps(x[f] + j) : _mm256_loadu_ps(x[f] + j);
      sumRe[f] = _mm256_fmadd_ps(xv, kr, sumRe[f]);
      sumIm[f] = _mm256_fmadd_ps(xv, ki, sumIm[f]);
    }
  }
  for (int f = 0; f < 4; ++f) {
    re[f] = HorizontalSum(sumRe[f]);
    im[f] = HorizontalSum(sumIm[f]);
  }
}

void StorePowers(const float re[4], const float im[4], float* out) {
  for (int f = 0; f < 4; ++f) out[f] = re[f] * re[f] + im[f] * im[f];
}

// Frames t..t+3 read where their windows start. A kernel whose length is
// 4 mod 8 ends with one 4-tap step, so nothing is read past the kernel's last
// tap or past the window's last sample.
void ComputeFourFrames(const BinRun& run, int t, float* out) {
  const float* x[4];
  for (int f = 0; f < 4; ++f) x[f] = run.signal + WindowStart(t + f, run.hop, run.decimationShift, run.length);
  const int whole = run.length & ~7;
  float re[4], im[4];
  SumFourWindows<false>(x, run.kernelRe, run.kernelIm, whole, re, im);
  if (whole < run.length) {
    const __m128 kr = _mm_load_ps(run.kernelRe + whole);
    const __m128 ki = _mm_load_ps(run.kernelIm + whole);
    for (int f = 0; f < 4; ++f) {
      const __m128 xv = _mm_loadu_ps(x[f] + whole);
      re[f] += HorizontalSum(_mm_mul_ps(xv, kr));
      im[f] += HorizontalSum(_mm_mul_ps(xv, ki));
    }
  }
  StorePowers(re, im, out);
}

// The same frames read from 32-byte boundaries with the lead-padded kernel.
void ComputeFourFramesAligned(const BinRun& run, const float* const x[4], float* out) {
  float re[4], im[4];
  SumFourWindows<true>(x, run.alignedRe, run.alignedIm, run.alignedLength, re, im);
  StorePowers(re, im, out);
}

// Aligned reads for frames t..t+3, unless the padded kernel would reach
// outside the signal (only ever at its two ends) or the bin has none.
bool FindAlignedWindows(const BinRun& run, int t, const float* x[4]) {
  if (run.alignedRe == nullptr) return false;
  for (int f = 0; f < 4; ++f) {
    const int64_t first = WindowStart(t + f, run.hop, run.decimationShift, run.length) - run.lead;
    if (first < 0 || first + run.alignedLength > run.signalLength) return false;
    x[f] = run.signal + first;
  }
  return true;
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
    const float* aligned[4];
    if (FindAlignedWindows(run, t, aligned)) {
      ComputeFourFramesAligned(run, aligned, run.power + t);
    } else {
      ComputeFourFrames(run, t, run.power + t);
    }
  }
  for (; t < run.frameEnd; ++t) ComputeOneFrame(run, t);
}

}  // namespace velmio

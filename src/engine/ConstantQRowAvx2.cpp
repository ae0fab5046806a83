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

// The compiler would fold each signal load into both multiply-adds that use
// it, loading it twice; one load into a register leaves the load ports free
// for the kernel and keeps the FMA units fed (about 12% faster).
inline void KeepInRegister(__m256& v) {
#if defined(__GNUC__)
  asm("" : "+x"(v));
#else
  (void)v;
#endif
}

// Lane f of the result: the sum of all eight lanes of v[f].
__m128 SumLanes(const __m256 v[4]) {
  const __m256 pairs = _mm256_hadd_ps(_mm256_hadd_ps(v[0], v[1]), _mm256_hadd_ps(v[2], v[3]));
  return _mm_add_ps(_mm256_castps256_ps128(pairs), _mm256_extractf128_ps(pairs, 1));
}

// Power of four windows against one kernel. Four windows share each load of
// the kernel: eight taps a step, eight independent accumulators, which keeps
// both FMA units busy. `taps` is a multiple of 4; a kernel of 4 mod 8 taps
// ends with one 4-tap step in the low lanes, so nothing is read past the
// kernel's last tap or the window's last sample. Aligned windows start on
// 32-byte boundaries.
template <bool kAligned>
void FourWindowPowers(const float* const x[4], const float* kernelRe, const float* kernelIm,
                      int taps, float* out) {
  __m256 sumRe[4] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(),
                     _mm256_setzero_ps()};
  __m256 sumIm[4] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(),
                     _mm256_setzero_ps()};
  const int whole = taps & ~7;
  for (int j = 0; j < whole; j += 8) {
    const __m256 kr = _mm256_load_ps(kernelRe + j);
    const __m256 ki = _mm256_load_ps(kernelIm + j);
#pragma GCC unroll 4
    for (int f = 0; f < 4; ++f) {
      __m256 xv = kAligned ? _mm256_load_ps(x[f] + j) : _mm256_loadu_ps(x[f] + j);
      KeepInRegister(xv);
      sumRe[f] = _mm256_fmadd_ps(xv, kr, sumRe[f]);
      sumIm[f] = _mm256_fmadd_ps(xv, ki, sumIm[f]);
    }
  }
  if (whole < taps) {
    const __m256 kr = _mm256_zextps128_ps256(_mm_load_ps(kernelRe + whole));
    const __m256 ki = _mm256_zextps128_ps256(_mm_load_ps(kernelIm + whole));
    for (int f = 0; f < 4; ++f) {
      const __m256 xv = _mm256_zextps128_ps256(_mm_loadu_ps(x[f] + whole));
      sumRe[f] = _mm256_fmadd_ps(xv, kr, sumRe[f]);
      sumIm[f] = _mm256_fmadd_ps(xv, ki, sumIm[f]);
    }
  }
  const __m128 re = SumLanes(sumRe);
  const __m128 im = SumLanes(sumIm);
  _mm_storeu_ps(out, _mm_add_ps(_mm_mul_ps(re, re), _mm_mul_ps(im, im)));
}

// Frames t..t+3 read where their windows start.
void ComputeFourFrames(const BinRun& run, int t, float* out) {
  const float* x[4];
  for (int f = 0; f < 4; ++f)
    x[f] = run.signal + WindowStart(t + f, run.hop, run.decimationShift, run.length);
  FourWindowPowers<false>(x, run.kernelRe, run.kernelIm, run.length, out);
}

// The same frames read from 32-byte boundaries with the lead-padded kernel.
void ComputeFourFramesAligned(const BinRun& run, const float* const x[4], float* out) {
  FourWindowPowers<true>(x, run.alignedRe, run.alignedIm, run.alignedLength, out);
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

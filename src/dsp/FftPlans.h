#pragma once
// Single-precision FFTW plans, one per length and kind, made once and shared.
// FFTW's planner is not thread-safe, so plans are only made (and destroyed)
// under one process-wide lock; executing a plan is safe from any thread and
// from several at once, on any array of the alignment AlignedBuffer gives.
// Plans use FFTW_ESTIMATE so that the same input always gives the same bits.
#include <cstddef>

namespace velmio {

enum class FftDirection { kForward, kInverse };

// True when `data` is aligned as the plans' SIMD code needs.
bool IsFftAligned(const float* data);

// Complex transform of n points in place on interleaved (re, im) floats,
// unscaled in both directions: forward X[k] = sum x[j] e^(-2 pi i jk/n),
// inverse x[j] = sum X[k] e^(+2 pi i jk/n).
class ComplexFftPlan {
 public:
  // The shared plan for n >= 1 points. Any thread; the reference stays valid
  // until the process ends.
  static const ComplexFftPlan& Get(int n, FftDirection direction);

  int Size() const { return m_size; }
  // `data`: 2n floats, 16-byte aligned (AlignedBuffer is). Any thread.
  void Execute(float* data) const;

  ComplexFftPlan(int n, FftDirection direction);
  ~ComplexFftPlan();
  ComplexFftPlan(const ComplexFftPlan&) = delete;
  ComplexFftPlan& operator=(const ComplexFftPlan&) = delete;

 private:
  void* m_plan = nullptr;
  int m_size = 0;
};

// Real-to-complex forward transform of n points (n even): n real inputs give
// n/2 + 1 complex outputs, interleaved, unscaled, the same sign as above.
class RealFftPlan {
 public:
  static const RealFftPlan& Get(int n);

  int Size() const { return m_size; }
  // `in`: n floats; `out`: n + 2 floats; distinct arrays, both 16-byte aligned.
  // `in` is left unchanged. Any thread.
  void Execute(const float* in, float* out) const;

  explicit RealFftPlan(int n);
  ~RealFftPlan();
  RealFftPlan(const RealFftPlan&) = delete;
  RealFftPlan& operator=(const RealFftPlan&) = delete;

 private:
  void* m_plan = nullptr;
  int m_size = 0;
};

}  // namespace velmio

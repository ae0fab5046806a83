#pragma once
// CFFT: in-place complex FFT of a power-of-two length N in single precision.
// Point j of a transform sits at a[2j] (real part) and a[2j + 1] (imaginary
// part). Forward: X[k] = sum over j of x[j] e^(-2 pi i jk/N), unscaled.
// Inverse: x[j] = (1/N) sum over k of X[k] e^(+2 pi i jk/N), so that
// inverse(forward(x)) = x within single-precision rounding. The tables of a
// length (FFTW plans) are made once and shared; making them takes the
// planner's lock, so Init may run on any thread.
#include <cstdint>

#include "dsp/AlignedBuffer.h"
#include "dsp/FftPlans.h"

namespace velmio {

class CFFT {
 public:
  CFFT() = default;
  virtual ~CFFT() = default;
  CFFT(const CFFT&) = delete;
  CFFT& operator=(const CFFT&) = delete;

  // Prepares transforms of n points (a power of two, n >= 1), forward.
  void Init(int32_t n);
  // 1 forward, 0 inverse.
  void SetForward(int32_t forward) { m_forward = forward; }
  // Transforms the 2N floats at `a` in place, in the current direction. `a`
  // may have any alignment. Not from two threads on one object at once.
  void Transform(float* a);

  int32_t Size() const { return m_size; }
  int32_t Forward() const { return m_forward; }

 private:
  const ComplexFftPlan* m_forwardPlan = nullptr;
  const ComplexFftPlan* m_inversePlan = nullptr;
  // The plans' SIMD code needs aligned arrays; other arrays pass through here.
  AlignedBuffer<float> m_scratch;
  int32_t m_size = 0;
  int32_t m_forward = 1;
};

}  // namespace velmio

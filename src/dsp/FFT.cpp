#include "dsp/FFT.h"

#include <algorithm>

namespace velmio {

void CFFT::Init(int32_t n) {
  m_size = n;
  m_forward = 1;
  m_forwardPlan = &ComplexFftPlan::Get(n, FftDirection::kForward);
  m_inversePlan = &ComplexFftPlan::Get(n, FftDirection::kInverse);
  m_scratch.Reset(2 * static_cast<std::size_t>(n));
}

void CFFT::Transform(float* a) {
  if (m_size <= 0) return;
  const std::size_t floats = 2 * static_cast<std::size_t>(m_size);
  const ComplexFftPlan& plan = m_forward != 0 ? *m_forwardPlan : *m_inversePlan;
  if (IsFftAligned(a)) {
    plan.Execute(a);
  } else {
    std::copy(a, a + floats, m_scratch.data());
    plan.Execute(m_scratch.data());
    std::copy(m_scratch.data(), m_scratch.data() + floats, a);
  }
  if (m_forward == 0) {
    const float scale = 1.0f / static_cast<float>(m_size);
    for (std::size_t i = 0; i < floats; ++i) a[i] *= scale;
  }
}

}  // namespace velmio

#include "audio/IIRUnit.h"

#include <cmath>

namespace velmio {

namespace {

constexpr float kPi = 3.1415927f;

// The running memory of one channel: x(n-1), x(n-2), y(n-1), y(n-2).
struct ChannelMemory {
  float x1, x2, y1, y2;
};

inline float Step(const CIIRUnit& u, ChannelMemory& m, float x) {
  const float y = u.m_b0 * x + u.m_b1 * m.x1 + u.m_b2 * m.x2 - u.m_a1 * m.y1 - u.m_a2 * m.y2;
  m.x2 = m.x1;
  m.x1 = x;
  m.y2 = m.y1;
  m.y1 = y;
  return y;
}

}  // namespace

bool CIIRUnit::SetPeaking(double f0, int32_t gainDb, float q) {
  // 0 dB is a pass-through for any centre and Q. Stored as such, rather than
  // as b = a rounded to float, it passes every sample unchanged instead of
  // within rounding (which truncation would turn into one step toward zero).
  if (gainDb == 0) {
    MakePassThrough();
    return true;
  }
  // At or past half the rate the design's sine turns negative: no such band.
  if (!(f0 < 0.5 * static_cast<double>(m_sampleRate)) || !(q > 0.0f)) {
    MakePassThrough();
    return false;
  }
  const float a = static_cast<float>(std::pow(10.0, static_cast<double>(gainDb * 0.025f)));
  const float w0 = static_cast<float>(f0) / m_sampleRate * 2.0f * kPi;
  const float alpha = std::sin(w0) / (q * 2.0f);
  const float d = alpha / a + 1.0f;
  const float o = 1.0f / d;
  m_b0 = (alpha * a + 1.0f) * o;
  m_a0 = d * o;
  m_a1 = std::cos(w0) * -2.0f * o;
  m_b1 = m_a1;
  m_b2 = (1.0f - alpha * a) * o;
  m_a2 = (1.0f - alpha / a) * o;
  if (IsStable()) return true;
  MakePassThrough();
  return false;
}

bool CIIRUnit::IsStable() const {
  // The stability triangle of 1 + a1 z^-1 + a2 z^-2, evaluated exactly (in
  // double) on the float values the processing uses; written so that a NaN fails.
  const double a1 = m_a1;
  const double a2 = m_a2;
  return std::fabs(a2) < 1.0 && std::fabs(a1) < 1.0 + a2;
}

void CIIRUnit::MakePassThrough() {
  m_a0 = 1.0f;
  m_a1 = 0.0f;
  m_a2 = 0.0f;
  m_b0 = 1.0f;
  m_b1 = 0.0f;
  m_b2 = 0.0f;
}

void CIIRUnit::Process(const float* in, int32_t count, int32_t channels, float* out) {
  if (count <= 0) return;
  if (channels == 1) {
    ChannelMemory m{m_xHist[1], m_xHist[0], m_yHist[1], m_yHist[0]};
    for (int32_t n = 0; n < count; ++n) out[n] = Step(*this, m, in[n]);
    m_xHist[0] = m.x2;
    m_xHist[1] = m.x1;
    m_yHist[0] = m.y2;
    m_yHist[1] = m.y1;
    return;
  }
  ChannelMemory left{m_xHist[2], m_xHist[0], m_yHist[2], m_yHist[0]};
  ChannelMemory right{m_xHist[3], m_xHist[1], m_yHist[3], m_yHist[1]};
  int32_t n = 0;
  for (; n + 1 < count; n += 2) {
    out[n] = Step(*this, left, in[n]);
    out[n + 1] = Step(*this, right, in[n + 1]);
  }
  // Blocks are whole frames; a stray left sample still keeps each channel's memory right.
  if (n < count) out[n] = Step(*this, left, in[n]);
  m_xHist[0] = left.x2;
  m_xHist[1] = right.x2;
  m_xHist[2] = left.x1;
  m_xHist[3] = right.x1;
  m_yHist[0] = left.y2;
  m_yHist[1] = right.y2;
  m_yHist[2] = left.y1;
  m_yHist[3] = right.y1;
}

}  // namespace velmio

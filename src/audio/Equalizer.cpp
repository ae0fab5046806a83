#include "audio/Equalizer.h"

#include <cmath>
#include <complex>

namespace velmio {

namespace {

constexpr double kLowestCentre = 16.3516;  // C0 in Hz

std::array<float, kEqResponsePoints> MakeResponseFrequencies() {
  std::array<float, kEqResponsePoints> phi{};
  const float ratio = static_cast<float>(std::pow(2.0, 0.025));
  phi[0] = static_cast<float>(kLowestCentre);
  for (int p = 1; p < kEqResponsePoints; ++p) phi[p] = phi[p - 1] * ratio;
  return phi;
}

// Float to 16 bits: toward zero, and never below -32767 (the bank's range is
// symmetric). A NaN cannot come out of stable sections; it would read as 0.
inline int16_t ToSample(float v) {
  if (v >= 32767.0f) return 32767;
  if (v <= -32767.0f) return -32767;
  if (v != v) return 0;
  return static_cast<int16_t>(v);
}

}  // namespace

Equalizer::Equalizer(float sampleRate) : m_workIn(kEqBlockSamples), m_workOut(kEqBlockSamples) {
  SetSampleRate(sampleRate);
}

void Equalizer::SetSampleRate(float rate) {
  m_sampleRate = rate;
  for (CIIRUnit& unit : m_units) unit.m_sampleRate = rate;
}

void Equalizer::MarkDirty(int band) {
  if (band >= 0 && band < kEqBands) m_dirty[band] = 1;
}

void Equalizer::MarkAllDirty() {
  for (int32_t& dirty : m_dirty) dirty = 1;
}

double Equalizer::BandCentre(int band) {
  double f = kLowestCentre;
  for (int k = 0; k < band; ++k) f *= 2.0;
  return f;
}

const std::array<float, kEqResponsePoints>& Equalizer::ResponseFrequencies() {
  static const std::array<float, kEqResponsePoints> phi = MakeResponseFrequencies();
  return phi;
}

uint32_t Equalizer::UpdateFilters(const EqBandGains& gainsDb, float q) {
  m_q[0] = q > 0.0f ? q : 1.0f;
  if (static_cast<double>(m_q[0]) != m_lastDesignQ) {
    MarkAllDirty();
    m_lastDesignQ = m_q[0];
  }
  uint32_t redesigned = 0;
  for (int k = 0; k < kEqBands; ++k) {
    if (m_dirty[k] == 0) continue;
    m_gainDb[0][k] = gainsDb[k];
    m_units[k].SetPeaking(BandCentre(k), m_gainDb[0][k], m_q[0]);
    ComputeBandResponse(k);
    m_dirty[k] = 0;
    redesigned |= 1u << k;
  }
  for (int p = 0; p < kEqResponsePoints; ++p) {
    float sum = 0.0f;
    for (int k = 0; k < kEqBands; ++k) sum += m_bandResponse[k][p];
    m_totalResponse[p] = sum;
  }
  return redesigned;
}

void Equalizer::ComputeBandResponse(int band) {
  const CIIRUnit& u = m_units[band];
  const std::array<float, kEqResponsePoints>& phi = ResponseFrequencies();
  const double inverseRate = 1.0 / static_cast<double>(m_sampleRate);
  for (int p = 0; p < kEqResponsePoints; ++p) {
    const float w = static_cast<float>(phi[p] * 6.283185307179586 * inverseRate);
    const std::complex<float> z1(std::cos(-w), std::sin(-w));
    const std::complex<float> z2(std::cos(-2.0f * w), std::sin(-2.0f * w));
    const std::complex<float> n = u.m_b0 + u.m_b1 * z1 + u.m_b2 * z2;
    const std::complex<float> d = 1.0f + u.m_a1 * z1 + u.m_a2 * z2;
    m_bandResponse[band][p] = 10.0f * std::log10(std::norm(n / d));
  }
}

void Equalizer::ProcessBlock(int16_t* samples, int32_t byteCount, int32_t channels) {
  // Playback blocks fit the work buffers in one pass; anything longer is
  // taken in whole passes of an even count, so stereo frames never split.
  int32_t left = byteCount / 2;
  while (left > 0) {
    const int32_t n = left < kEqBlockSamples ? left : kEqBlockSamples;
    float* in = m_workIn.data();
    float* out = m_workOut.data();
    for (int32_t i = 0; i < n; ++i) in[i] = samples[i];
    for (int k = 0; k < kEqBands; ++k) {
      if (k % 2 == 0) {
        m_units[k].Process(in, n, channels, out);
      } else {
        m_units[k].Process(out, n, channels, in);
      }
    }
    for (int32_t i = 0; i < n; ++i) samples[i] = ToSample(out[i]);
    samples += n;
    left -= n;
  }
}

}  // namespace velmio

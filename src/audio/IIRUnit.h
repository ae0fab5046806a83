#pragma once
// CIIRUnit: one second-order peaking section of the graphic equalizer, run in
// direct form I over interleaved mono or stereo float samples. The filter
// memory (the last two sample frames of input and output) carries over from
// block to block, across coefficient changes and across stop and play; only
// construction clears it.
#include <cstdint>

namespace velmio {

class CIIRUnit {
 public:
  CIIRUnit() = default;
  virtual ~CIIRUnit() = default;

  // Designs the section as a peaking filter (centre f0 in Hz, gain in dB,
  // quality factor q > 0) for m_sampleRate, in single precision. A gain of
  // 0 dB gives the exact pass-through b0 = 1, all else 0.
  //
  // A section must never make the output grow without bound. A centre at or
  // above half the sampling rate (C10 with a 22.05 kHz file) gives a pole
  // outside the unit circle, and a Q so large that the poles round onto the
  // circle, or a q that is not positive, is no better: in those cases the
  // section becomes a pass-through (the band is left out) and false is
  // returned. The check runs on the stored float coefficients, so what passes
  // it is stable as the processing sees it. UI thread.
  bool SetPeaking(double f0, int32_t gainDb, float q);

  // Filters `count` samples from `in` into `out` (distinct arrays). `channels`
  // 1 is mono; any other value is interleaved stereo, left at even positions.
  // Allocates nothing. UI thread.
  void Process(const float* in, int32_t count, int32_t channels, float* out);

  // True when the stored coefficients describe a stable section: both poles
  // strictly inside the unit circle.
  bool IsStable() const;

  // Coefficients after normalisation by a0; m_a0 itself is kept only for show.
  float m_a0 = 1.0f;
  float m_a1 = 0.0f;
  float m_a2 = 0.0f;
  float m_b0 = 1.0f;
  float m_b1 = 0.0f;
  float m_b2 = 0.0f;
  // The last two sample frames of the previous block, in the block's order:
  // stereo L(n-2), R(n-2), L(n-1), R(n-1); mono x(n-2), x(n-1), -, -.
  float m_xHist[4] = {};
  float m_yHist[4] = {};
  float m_sampleRate = 44100.0f;

 private:
  void MakePassThrough();
};

}  // namespace velmio

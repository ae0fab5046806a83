#pragma once
// A sung-like test tone with its pitch marks known by construction: a
// fundamental that may glide and carry vibrato, harmonics falling off like a
// voice's, and a mark wherever the phase completes a period. Also a plain
// spectral measurement of the fundamental for checking a conversion by ear's
// stand-in.
#include <cmath>
#include <cstdint>
#include <vector>

namespace velmio::test {

struct SungTone {
  std::vector<float> signal;    // 16-bit units
  std::vector<int16_t> pcm;     // the same, as the recording's samples
  std::vector<int32_t> marks;   // entry 0 = 0, entry i = first sample of period i + 1
};

struct SungToneShape {
  int32_t rate = 44100;
  double seconds = 1.0;
  double startHz = 200.0;
  double endHz = 200.0;          // linear glide from startHz
  double vibratoDepth = 0.0;     // relative, e.g. 0.02
  double amplitude = 12000.0;
  int harmonics = 12;
};

inline SungTone MakeSungTone(const SungToneShape& shape) {
  SungTone tone;
  const int32_t n = static_cast<int32_t>(shape.seconds * shape.rate);
  tone.signal.resize(static_cast<size_t>(n));
  tone.pcm.resize(static_cast<size_t>(n));
  tone.marks.push_back(0);
  double phase = 0.0;  // in periods
  for (int32_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / shape.rate;
    const double glide = shape.startHz + (shape.endHz - shape.startHz) * t / shape.seconds;
    const double hz = glide * (1.0 + shape.vibratoDepth * std::sin(2.0 * M_PI * 5.5 * t));
    double value = 0.0;
    for (int h = 1; h <= shape.harmonics; ++h)
      value += std::sin(2.0 * M_PI * h * phase) / (1.0 + 0.35 * (h - 1) * (h - 1));
    const double scaled = std::round(shape.amplitude * value / 1.6);
    tone.pcm[static_cast<size_t>(i)] = static_cast<int16_t>(scaled);
    tone.signal[static_cast<size_t>(i)] = static_cast<float>(scaled);
    const double next = phase + hz / shape.rate;
    if (std::floor(next) > std::floor(phase)) tone.marks.push_back(i + 1);
    phase = next;
  }
  return tone;
}

// Magnitude of the component at `hz` over samples [from, to) (Goertzel).
inline double ToneMagnitude(const std::vector<int16_t>& x, int32_t from, int32_t to, double hz,
                            int32_t rate) {
  const double w = 2.0 * M_PI * hz / rate;
  const double c = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (int32_t i = from; i < to; ++i) {
    const double s0 = x[static_cast<size_t>(i)] + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return std::sqrt(s1 * s1 + s2 * s2 - c * s1 * s2);
}

// The lowest spectral peak at least a third as strong as the strongest one,
// searched in 1 Hz steps from 60 to 1200 Hz: the fundamental of a voiced tone.
inline double MeasuredFundamental(const std::vector<int16_t>& x, int32_t from, int32_t to,
                                  int32_t rate) {
  std::vector<double> magnitude;
  for (int hz = 60; hz <= 1200; ++hz) magnitude.push_back(ToneMagnitude(x, from, to, hz, rate));
  double strongest = 0.0;
  for (double v : magnitude) strongest = std::max(strongest, v);
  for (size_t i = 1; i + 1 < magnitude.size(); ++i) {
    const bool peak = magnitude[i] >= magnitude[i - 1] && magnitude[i] >= magnitude[i + 1];
    if (peak && magnitude[i] >= strongest / 3.0) return 60.0 + static_cast<double>(i);
  }
  return 0.0;
}

}  // namespace velmio::test

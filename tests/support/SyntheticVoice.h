#pragma once
// Small synthetic recordings for the single-voice tests: a sung-like glide
// (harmonics, vibrato, breath pauses) and piano-like struck notes, as
// float samples in 16-bit units, padded with zeros to a multiple of 32.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace velmio::synthetic {

inline std::vector<float> PadTo32(std::vector<float> x) {
  x.resize((x.size() + 31) / 32 * 32, 0.0f);
  return x;
}

// A glide from f0 to f1 Hz (log-linear) with five harmonics and 5 Hz
// vibrato; a short silence in the middle.
inline std::vector<float> SungGlide(int rate, double seconds, double f0, double f1,
                                    double amplitude = 12000.0) {
  const int n = static_cast<int>(rate * seconds);
  std::vector<float> x(n);
  double phase = 0.0;
  for (int i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double f = f0 * std::pow(f1 / f0, t / seconds) * (1.0 + 0.01 * std::sin(2 * std::numbers::pi * 5 * t));
    phase += 2 * std::numbers::pi * f / rate;
    double v = 0.0;
    for (int h = 1; h <= 5; ++h) v += std::sin(h * phase) / h;
    const bool pause = t > 0.45 * seconds && t < 0.5 * seconds;
    x[i] = pause ? 0.0f : static_cast<float>(std::round(amplitude * 0.6 * v));
  }
  return PadTo32(std::move(x));
}

// Struck notes (semitones above C0) one after another, each decaying.
inline std::vector<float> PianoNotes(int rate, const std::vector<int>& notes, double noteSeconds,
                                     int a4 = 440) {
  const int per = static_cast<int>(rate * noteSeconds);
  std::vector<float> x(per * notes.size());
  for (std::size_t k = 0; k < notes.size(); ++k) {
    const double f = a4 * std::pow(2.0, (notes[k] - 57) / 12.0);
    for (int i = 0; i < per; ++i) {
      const double t = static_cast<double>(i) / rate;
      double v = 0.0;
      for (int h = 1; h <= 6; ++h) {
        const double fh = f * h * std::sqrt(1.0 + 0.0004 * h * h);
        v += std::exp(-t * (2.0 + h)) * std::sin(2 * std::numbers::pi * fh * t) / h;
      }
      x[k * per + i] = static_cast<float>(std::round(16000.0 * v));
    }
  }
  return PadTo32(std::move(x));
}

}  // namespace velmio::synthetic

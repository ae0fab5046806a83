#pragma once
// Measures of test signals: a sine to feed, and the frequency of what comes back.
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace velmio::test {

// `frames` interleaved frames of a sine at `hz` (every channel the same).
inline std::vector<int16_t> SineSamples(int32_t frames, int channels, double hz, int rate,
                                        double amplitude = 12000.0) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  for (int32_t i = 0; i < frames; ++i) {
    const double v = amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate);
    for (int c = 0; c < channels; ++c)
      samples[static_cast<size_t>(i) * channels + c] = static_cast<int16_t>(std::lround(v));
  }
  return samples;
}

// The frequency of channel 0 of interleaved `samples` between frames
// [from, to), from the rising zero crossings (interpolated between samples).
inline double MeasuredFrequency(const std::vector<int16_t>& samples, int channels, int rate,
                                int64_t from, int64_t to) {
  double first = -1.0;
  double last = -1.0;
  int crossings = 0;
  for (int64_t i = from + 1; i < to; ++i) {
    const double a = samples[static_cast<size_t>((i - 1) * channels)];
    const double b = samples[static_cast<size_t>(i * channels)];
    if (a < 0.0 && b >= 0.0) {
      const double t = static_cast<double>(i - 1) + a / (a - b);
      if (first < 0.0) first = t;
      last = t;
      ++crossings;
    }
  }
  if (crossings < 2) return 0.0;
  return (crossings - 1) * rate / (last - first);
}

}  // namespace velmio::test

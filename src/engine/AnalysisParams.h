#pragma once
// What the analysis of a recording depends on: the note range, the tuning,
// the resolution and window of the kernels, and the optional formant stage.
// The settings record holds these values; the kernel bank and the job input
// are derived from them, never filled field by field elsewhere.
#include <cstdint>

#include "engine/KernelBank.h"

namespace velmio {

struct AnalysisParams {
  int32_t lowNote = 12;    // semitones above C0, inclusive: 0, 12, ... 48 (C0 ... C4)
  int32_t highNote = 120;  // exclusive: 72 ... 120 in steps of 12 (C6 ... C10)
  int32_t a4Frequency = 440;
  int32_t binsPerSemitone = 4;  // 1, 2, 4 or 8
  int32_t windowMode = 1;       // 0 Hamming (constant Q), 1 trapezoid
  bool formantEnabled = false;
  int32_t formantSensitivity = 0;  // 0 small, 1 medium, 2 large
};

// Samples per analysis frame at `sampleRate`: 256 at 44.1 kHz, and the
// nearest whole number below the same 5.8 ms at other rates.
constexpr int32_t HopSizeForRate(int32_t sampleRate) {
  return static_cast<int32_t>(int64_t{sampleRate} * 256 / 44100);
}

// The kernel bank's parameters for a recording at `sampleRate`.
inline KernelParams KernelParamsFor(const AnalysisParams& params, int32_t sampleRate) {
  return KernelParams{params.binsPerSemitone, params.windowMode, params.a4Frequency, sampleRate,
                      HopSizeForRate(sampleRate)};
}

}  // namespace velmio

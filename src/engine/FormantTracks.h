#pragma once
// Formant tracks: for every loud analysis frame, the peaks of the linear-
// prediction envelope of 2048 samples, marked three rows high in a byte mask
// with the geometry of the level matrix.
#include <cstdint>
#include <span>

#include "dsp/CpuFeatures.h"

namespace velmio {

constexpr int32_t kFormantWindow = 2048;   // samples analysed per frame
constexpr int32_t kFormantOrder = 32;      // prediction coefficients
constexpr int32_t kEnvelopeBins = 2048;    // half of the 4096-point transform
constexpr int32_t kPeakSearchSize = 16;    // steps a peak needs on each side
constexpr int32_t kFormantColumnLead = 4;  // hops from the window start to its mark

struct FormantSettings {
  int32_t hopSize = 256;
  int32_t lowNote = 12;    // the level matrix's range, semitones above C0
  int32_t highNote = 120;  // exclusive
  int32_t a4Frequency = 440;
  int32_t sensitivity = 0;  // 0 small, 1 medium, anything else large
  int32_t workerCount = 4;
  SimdLevel simd = DetectSimdLevel();
};

// Frames analysed are those whose largest sample exceeds the gate; with a
// peak limit only the first that many envelope peaks are marked (0: all).
struct FormantSensitivity {
  float gate;
  int32_t peakLimit;
};
FormantSensitivity SensitivityFor(int32_t sensitivity);

// Coefficients a[0] = 1, a[1 ... 32] of the prediction-error filter of the
// 2048 samples at x, from the autocorrelation and the Levinson-Durbin
// recursion in double precision. False when the recursion breaks down (a
// prediction error that is not positive); `a` is then unusable.
bool PredictionCoefficients(const float* x, float* a, SimdLevel simd);

// The Levinson-Durbin recursion on r[0 ... 32] into a[0 ... 32]; false when a
// prediction error is not positive.
bool LevinsonDurbin(const double* r, double* a);

// Autocorrelation R(0 ... 32) of the 2048 samples at x, in double precision.
void Autocorrelation(const float* x, double* r, SimdLevel simd);

// e[i] = 1 / |A(e^(j pi i / 2048))| for i = 0 ... 2047, from the 4096-point
// transform of 0, a[0], ..., a[32], 0, ...; `spectrum` holds 4098 floats and
// `sequence` 4096 (the zeros behind the coefficients stay zero), both from
// AlignedBuffer.
void PredictionEnvelope(const float* a, float* sequence, float* spectrum, float* e,
                        SimdLevel simd = DetectSimdLevel());

// flags[i] = 1 where e (n values) has a peak with at least m steps of rise
// before it and m steps of fall after it (fewer at the ends), otherwise 0.
void PickEnvelopePeaks(const float* e, int32_t n, int32_t m, uint8_t* flags);

// Matrix row of envelope bin i (bin frequency i x 22050 / 2048 Hz, whatever
// the sampling rate), before the range check.
int32_t FormantRow(int32_t bin, int32_t highNote, int32_t a4Frequency);

// Clears `mask` (8 x (highNote - lowNote) rows of frameCount bytes) and marks
// the formants of every frame whose window ends before the signal does.
void ExtractFormants(std::span<const float> signal, int32_t frameCount,
                     const FormantSettings& settings, uint8_t* mask);

}  // namespace velmio

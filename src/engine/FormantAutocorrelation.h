#pragma once
// The per-frame loops of the formant tracks. The autocorrelation: lags
// 0 ... 35 of one window in double precision, x the window as doubles
// followed by at least 36 zeros.
#include <cstdint>

namespace velmio {

constexpr int32_t kAutocorrelationLags = 36;  // 33 used, rounded up to whole vectors

void AutocorrelateScalar(const double* x, int32_t n, double* r);
void AutocorrelateAvx2(const double* x, int32_t n, double* r);

// e[i] = 1 / sqrt(re^2 + im^2) of the interleaved spectrum, `zero` where the
// magnitude is 0; n a multiple of 8. Correctly rounded in both builds, so
// both give the same bits.
void InvertMagnitudesScalar(const float* spectrum, int32_t n, float zero, float* e);
void InvertMagnitudesAvx2(const float* spectrum, int32_t n, float zero, float* e);

// The largest of 0 and x[0 ... n - 1]; n a multiple of 8.
float LargestOrZeroScalar(const float* x, int32_t n);
float LargestOrZeroAvx2(const float* x, int32_t n);

}  // namespace velmio

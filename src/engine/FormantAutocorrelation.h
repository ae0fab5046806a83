#pragma once
// The autocorrelation lags 0 ... 35 of one formant window, in double
// precision. x: the window as doubles followed by at least 36 zeros.
#include <cstdint>

namespace velmio {

constexpr int32_t kAutocorrelationLags = 36;  // 33 used, rounded up to whole vectors

void AutocorrelateScalar(const double* x, int32_t n, double* r);
void AutocorrelateAvx2(const double* x, int32_t n, double* r);

}  // namespace velmio

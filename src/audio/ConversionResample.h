#pragma once
// The spline part of the conversion's resampling, for the output samples
// whose four spline points all lie inside the accumulated signal, with an
// AVX2 version that gives the scalar version's bits (the same operations in
// the same order, no fused multiply-add). Any thread.
#include <cstdint>

#include "dsp/CpuFeatures.h"

namespace velmio {

// out[i] for from <= i < to, i × lola / lout read from `acc` by the natural
// cubic spline, truncated and clamped to ±32767. Every i in the range must
// have 0 < floor(i × lola / lout) < lola − 1.
void ResampleSplineScalar(const float* acc, int64_t lola, int64_t lout, int16_t* out, int64_t from,
                          int64_t to);
void ResampleSplineAvx2(const float* acc, int64_t lola, int64_t lout, int16_t* out, int64_t from,
                        int64_t to);

// The fastest of the two that `level` allows.
void ResampleSpline(SimdLevel level, const float* acc, int64_t lola, int64_t lout, int16_t* out,
                    int64_t from, int64_t to);

}  // namespace velmio

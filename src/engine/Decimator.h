#pragma once
// Low-pass and halve: one stage of the cascade that gives the low kernels
// their decimated copies of the signal.

namespace velmio {

// Filters `count` samples of `input` with the fourth-order low-pass (double
// precision, zero initial state, 22 extra zero-input steps) and writes the
// count/2 samples y[19], y[21], ... to `output`. Any thread.
void DecimateByTwo(int count, const float* input, float* output);

}  // namespace velmio

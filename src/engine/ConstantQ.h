#pragma once
// The constant-Q transform: power of every analysed bin in every frame.
#include <atomic>
#include <cstdint>

#include "dsp/CpuFeatures.h"
#include "engine/KernelBank.h"

namespace velmio {

struct ConstantQOptions {
  SimdLevel simd = DetectSimdLevel();
  int workerCount = 0;                        // 0: one per hardware thread
  std::atomic<int>* progress = nullptr;       // percent of the work done, 0..100
  const std::atomic<bool>* cancel = nullptr;  // set: stop early, the rest of the matrix is 0
  // Distance in floats from row k to row k + 1 of the output; 0 means
  // frameCount. A negative stride lets the analysis write each bin straight
  // into its display row (highest pitch first) instead of a separate matrix.
  int64_t powerRowStride = 0;
};

// Fills power (binCount rows of frameCount floats, row k = analysed bin k from
// the lowest, rows options.powerRowStride apart) with re^2 + im^2 of each kernel applied to the
// signal around frame t * hop; frames whose window does not fit inside the signal get 0. The signal
// has paddedLength samples (a multiple of 32); the bank must have been built for the signal's rate
// and hop. Blocks until done; any thread.
void ComputeConstantQ(const float* signal, int paddedLength, int lowNote, int highNote,
                      const KernelBank& bank, int frameCount, int binCount, float* power,
                      const ConstantQOptions& options = {});

}  // namespace velmio

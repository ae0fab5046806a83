#pragma once
// The inner loop of the constant-Q transform: one bin over a run of frames.
// Three builds of the same loop (scalar, SSE4, AVX2+FMA) share this contract;
// all three compute each power as re^2 + im^2 of single-precision dot products
// and differ only in the order the products are summed.
#include <cstdint>

namespace velmio {

struct BinRun {
  const float* kernelRe;  // `length` real parts, 32-byte aligned
  const float* kernelIm;  // `length` imaginary parts, 32-byte aligned
  int length;             // taps, a multiple of 4
  // When every window of the bin starts at the same offset modulo 8 samples
  // (the hop is a multiple of 8 decimated samples), the same kernel behind
  // `lead` zero taps lets windows be read from 32-byte boundaries: no load
  // straddles a cache line. Null when not available.
  const float* alignedRe;
  const float* alignedIm;
  int alignedLength;     // a multiple of 8
  int lead;              // zero taps in front, 0..7
  const float* signal;   // the decimated signal the kernel applies to
  int64_t signalLength;  // samples in `signal`; nothing past it is read
  int hop;               // input samples per frame
  int decimationShift;   // log2 of the decimation
  int frameBegin;        // first frame of the run; every frame of the run fits the signal
  int frameEnd;
  float* power;  // the bin's output row; frame t goes to power[t]
};

// First sample of frame t's window in the decimated signal (the decimation is
// a power of two and frame * hop is never negative, so a shift divides).
inline int64_t WindowStart(int64_t frame, int hop, int decimationShift, int length) {
  return ((frame * hop) >> decimationShift) - length / 2 + 1;
}

void ComputeBinRunScalar(const BinRun& run);
void ComputeBinRunSse4(const BinRun& run);
void ComputeBinRunAvx2(const BinRun& run);

}  // namespace velmio

#pragma once
// What the transform's workers need per analysed bin, prepared once per
// transform: the kernel split into real and imaginary rows (plus a copy
// shifted for aligned reads where the frames allow it), and the run of frames
// whose window fits inside the signal.
#include <cstdint>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "engine/ConstantQRow.h"
#include "engine/KernelBank.h"

namespace velmio {

struct BinPlan {
  int decimationShift;
  int length;
  std::size_t planarOffset;   // real row, then imaginary row, each padded to 8
  std::size_t alignedOffset;  // lead-padded rows, or kNoAlignedKernel
  int alignedLength;
  int lead;
  int frameBegin;  // frames whose window fits the signal
  int frameEnd;
};

constexpr std::size_t kNoAlignedKernel = ~std::size_t{0};

struct TransformPlan {
  std::vector<BinPlan> bins;
  AlignedBuffer<float> kernels;  // all rows of all bins
};

// Plans the analysed bins firstBin .. firstBin + binCount - 1 of `bank` for a
// signal of paddedLength samples and frameCount frames.
void PlanBins(const KernelBank& bank, int firstBin, int binCount, int paddedLength, int frameCount,
              TransformPlan& plan);

// The BinRun for frames [begin, end) of a planned bin.
BinRun MakeBinRun(const TransformPlan& plan, const BinPlan& bin, const float* signal,
                  int64_t signalLength, bool signalAligned, int hop, int begin, int end,
                  float* power);

}  // namespace velmio

#pragma once
// A plain rendering of the analysis as it was first laid out: four workers,
// each owning a quarter of the frames, with a 4-wide SSE inner loop over
// interleaved taps and a single accumulator. It is the yardstick the shipped
// analysis is measured against, not part of the product.
#include "engine/AnalysisJob.h"

namespace velmio::reference {

void ComputeConstantQ(const float* signal, int paddedLength, int lowNote, int highNote,
                      const KernelBank& bank, int frameCount, int binCount, float* power);

// Mix-down, transform, frame energy and levels, like AnalyseSignal.
void AnalyseSignal(const AnalysisInput& input, Spectrogram& result);

}  // namespace velmio::reference

#pragma once
// What an analysis needs before it runs: the cells of the level matrix (the
// analysis data file holds at most 2^31 - 1 of them) and the bytes of the
// buffers it allocates, so that a recording too long for either is refused
// with its limit instead of failing halfway.
#include <cstdint>

#include "engine/Spectrogram.h"

namespace velmio {

// The most cells a level matrix may have: its element count is an int32 in
// the analysis data file.
inline constexpr int64_t kMaxLevelCells = 2147483647;

struct AnalysisFootprint {
  int64_t cells = 0;   // R x F
  uint64_t bytes = 0;  // levels, formant mask, frame energy, mono signal, decimated copies
};

// The footprint of an analysis of geometry `g`.
AnalysisFootprint FootprintOf(const FrameGeometry& g);

// Why a recording of geometry `g` cannot be analysed with `availableBytes`
// of memory: not at all, too long for the file, or too big for the memory.
enum class AnalysisFit { kFits, kTooManyCells, kTooLittleMemory };
AnalysisFit CheckAnalysisFit(const FrameGeometry& g, uint64_t availableBytes);

// The longest recording, in sample frames, whose analysis fits both the file
// and `availableBytes`, with `hop` samples per frame and `rowCount` rows.
int64_t LongestAnalysableFrames(int hop, int rowCount, uint64_t availableBytes);

// Bytes this process can still allocate: the least of the memory the system
// calls available, what the address-space and data-size limits leave, and
// what the control group's memory limit leaves. Any thread.
uint64_t AvailableMemoryBytes();

}  // namespace velmio

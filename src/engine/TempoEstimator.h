#pragma once
// Tempo estimation: a tempo, a bar length and a start time proposed for the
// bar grid from a finished analysis. The onset signal (the rectified central
// difference of the frame energy) is transformed whole; its strongest
// periodicity between 50 and 200 beats per minute is the beat, half of it is
// preferred when nearly as strong, the strength of the beat's harmonics
// picks 2, 3 or 4 beats per bar, and the start is the first frame in which
// the picture shows anything. A pure function; any thread.
#include <cstdint>
#include <span>

namespace velmio {

struct TempoProposal {
  int32_t tempo = 0;             // beats per minute
  int32_t beatsPerBarIndex = 2;  // 0, 1, 2 for 2, 3, 4 beats (6 is never proposed)
  int32_t startMs = 0;           // time of the first visible frame
};

// What is proposed for a recording whose energy never rises (silence, a
// constant tone): there is no beat to measure.
constexpr int32_t kNoBeatTempo = 120;
constexpr int32_t kNoBeatBeatsPerBarIndex = 2;

struct TempoInput {
  std::span<const float> frameEnergy;  // F values, linear power per frame
  std::span<const float> levelDb;      // R x F display matrix, row-major
  int32_t frameCount = 0;              // F
  int32_t rows = 0;                    // R
  int32_t levelTopDb = 0;              // display gain
  int32_t levelRangeDb = 0;            // display range
};

// The proposal for `in`; frameCount > 0. Arrays shorter than their counts
// are read as far as they go.
TempoProposal EstimateTempo(const TempoInput& in);

// The transform length for F frames: the smallest power of two not below F.
int32_t TempoTransformSize(int32_t frameCount);

// The first frame with a cell the renderer would draw brighter than black at
// these levels, or -1.
int32_t FirstVisibleFrame(const TempoInput& in);

}  // namespace velmio

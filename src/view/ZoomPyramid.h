#pragma once
// Zoomed-out copies of an analysis result: for 2, 4, ... 32 frames per
// column, each cell the loudest of its frames (and a formant mask set where
// any of its frames is set), built from the one below by pairs, so a
// zoomed-out re-render reads one cell per pixel as at one frame per column.
// Built once per result, on the UI thread, the first time a zoomed-out
// level is drawn; a new result (or a matrix at another address or of another
// size) starts them over.
#include <array>
#include <cstdint>

#include "dsp/AlignedBuffer.h"
#include "engine/Spectrogram.h"

namespace velmio {

// One level: rows x columns, row-major like the result's matrix.
struct PyramidLevel {
  int32_t framesPerColumn = 1;
  int32_t columns = 0;
  int32_t rows = 0;
  AlignedBuffer<float> levels;
  AlignedBuffer<uint8_t> mask;  // empty when the result carries no mask
};

// The loudest of each pair of neighbouring cells of a row; `count` input
// cells give (count + 1) / 2 outputs, the last one alone when count is odd.
void MaxOfPairs(const float* in, int32_t count, float* out);
void AnyOfPairs(const uint8_t* in, int32_t count, uint8_t* out);

class ZoomPyramid {
 public:
  static constexpr int kLevels = 5;  // 2, 4, 8, 16, 32 frames per column

  // Forgets every level (a new result was installed).
  void Clear();
  // Builds the levels of `s` up to `framesPerColumn` (a power of two up to
  // 32) that are not built yet.
  void Prepare(const Spectrogram& s, int32_t framesPerColumn);
  // The level for `framesPerColumn`, or null when it is not built.
  const PyramidLevel* Level(int32_t framesPerColumn) const;

 private:
  void BuildLevel(int index, const float* levels, const uint8_t* mask, int32_t columns,
                  int32_t rows);

  std::array<PyramidLevel, kLevels> m_levels;
  int m_built = 0;
  // The matrix the levels were built from: another one starts them over.
  const float* m_source = nullptr;
  int32_t m_sourceFrames = 0;
  int32_t m_sourceRows = 0;
};

}  // namespace velmio

#include "view/ZoomPyramid.h"

#include <algorithm>
#include <cstddef>

namespace velmio {
namespace {

int LevelIndex(int32_t framesPerColumn) {
  int index = -1;
  for (int32_t f = framesPerColumn; f > 1; f /= 2) ++index;
  return index;
}

}  // namespace

void MaxOfPairs(const float* in, int32_t count, float* out) {
  const int32_t pairs = count / 2;
  for (int32_t i = 0; i < pairs; ++i) out[i] = std::max(in[2 * i], in[2 * i + 1]);
  if (count % 2 != 0) out[pairs] = in[count - 1];
}

void AnyOfPairs(const uint8_t* in, int32_t count, uint8_t* out) {
  const int32_t pairs = count / 2;
  for (int32_t i = 0; i < pairs; ++i) out[i] = (in[2 * i] | in[2 * i + 1]) != 0 ? 1 : 0;
  if (count % 2 != 0) out[pairs] = in[count - 1] != 0 ? 1 : 0;
}

void ZoomPyramid::Clear() {
  for (PyramidLevel& level : m_levels) level = PyramidLevel{};
  m_built = 0;
  m_source = nullptr;
  m_sourceFrames = 0;
  m_sourceRows = 0;
}

void ZoomPyramid::Prepare(const Spectrogram& s, int32_t framesPerColumn) {
  const int wanted = std::min(LevelIndex(framesPerColumn), kLevels - 1);
  if (s.m_frameCount <= 0 || s.m_rowCount <= 0) return;
  const std::size_t cells = static_cast<std::size_t>(s.m_rowCount) * s.m_frameCount;
  if (s.m_levelDb.size() < cells) return;  // a matrix that disagrees with its size is not drawn
  const bool hasMask = s.m_formantMask.size() >= cells;
  if (s.m_levelDb.data() != m_source || s.m_frameCount != m_sourceFrames ||
      s.m_rowCount != m_sourceRows) {
    Clear();
    m_source = s.m_levelDb.data();
    m_sourceFrames = s.m_frameCount;
    m_sourceRows = s.m_rowCount;
  }
  while (m_built <= wanted) {
    if (m_built == 0) {
      BuildLevel(0, s.m_levelDb.data(), hasMask ? s.m_formantMask.data() : nullptr,
                 s.m_frameCount, s.m_rowCount);
    } else {
      const PyramidLevel& below = m_levels[m_built - 1];
      BuildLevel(m_built, below.levels.data(), below.mask.empty() ? nullptr : below.mask.data(),
                 below.columns, below.rows);
    }
    ++m_built;
  }
}

void ZoomPyramid::BuildLevel(int index, const float* levels, const uint8_t* mask, int32_t columns,
                             int32_t rows) {
  PyramidLevel& level = m_levels[index];
  level.framesPerColumn = 2 << index;
  level.columns = (columns + 1) / 2;
  level.rows = rows;
  level.levels.Reset(static_cast<std::size_t>(rows) * level.columns);
  if (mask != nullptr) level.mask.Reset(static_cast<std::size_t>(rows) * level.columns);
  for (int32_t r = 0; r < rows; ++r) {
    const std::size_t in = static_cast<std::size_t>(r) * columns;
    const std::size_t out = static_cast<std::size_t>(r) * level.columns;
    MaxOfPairs(levels + in, columns, level.levels.data() + out);
    if (mask != nullptr) AnyOfPairs(mask + in, columns, level.mask.data() + out);
  }
}

const PyramidLevel* ZoomPyramid::Level(int32_t framesPerColumn) const {
  const int index = LevelIndex(framesPerColumn);
  if (index < 0 || index >= m_built) return nullptr;
  return &m_levels[index];
}

}  // namespace velmio

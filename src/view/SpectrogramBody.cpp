#include "view/SpectrogramBody.h"

#include <immintrin.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "view/ColorTable.h"

namespace velmio {
namespace {

constexpr uint32_t kFormantColor = 0xff00c8ff;   // RGB(0, 200, 255)
constexpr uint32_t kWaveformColor = 0xffc0c0c0;  // RGB(192, 192, 192)

uint32_t AddSaturated(uint32_t pixel, uint32_t color) {
  uint32_t sum = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t s = ((pixel >> shift) & 0xff) + ((color >> shift) & 0xff);
    sum |= std::min<uint32_t>(s, 0xff) << shift;
  }
  return sum;
}

// Rows and columns of the body, and the cells they show: the matrix itself,
// or at frames per column above 1 the pyramid level, whose cells are columns.
struct BodySpan {
  int firstRow = 0;
  int endRow = 0;
  int firstFrame = 0;  // first visible content column
  int endFrame = 0;    // end column, exclusive
};

struct BodySource {
  const float* levels = nullptr;
  const uint8_t* mask = nullptr;  // null: no formant overlay
  std::size_t stride = 0;         // cells per row
  long long rows = 0;
  int columnsPerCell = 1;  // zoomed in: each cell is drawn this many columns wide
};

// The matrix, or the zoomed-out level; rows bounded by what really exists, so
// a result whose size disagrees with the note range is never read past its end.
BodySource SourceOf(const ViewGeometry& g, const RenderInputs& in) {
  const Spectrogram& s = *in.analysis.m_spectrogram;
  BodySource source;
  if (g.scale.FramesPerColumn() > 1) {
    const PyramidLevel* level = in.zoom.level;
    if (level == nullptr || level->columns < g.columns) return source;
    source.levels = level->levels.data();
    source.mask = level->mask.empty() ? nullptr : level->mask.data();
    source.stride = static_cast<std::size_t>(level->columns);
    source.rows = level->rows;
    return source;
  }
  source.levels = s.m_levelDb.data();
  source.stride = static_cast<std::size_t>(g.frames);
  source.rows = std::min<long long>(s.m_rowCount, static_cast<long long>(s.m_levelDb.size() /
                                                                         source.stride));
  const std::size_t needed = static_cast<std::size_t>(std::max<long long>(source.rows, 0)) *
                             source.stride;
  // Loaded results carry no mask.
  if (s.m_formantMask.size() >= needed) source.mask = s.m_formantMask.data();
  source.columnsPerCell = g.scale.ColumnsPerFrame();
  return source;
}

BodySpan VisibleSpan(const ViewGeometry& g, const BodySource& source) {
  BodySpan span;
  span.firstRow = std::max(g.sy, 0);
  span.endRow = std::min(g.sy + g.height, g.rows + kRulerHeight) - kRulerHeight;
  span.endRow = static_cast<int>(std::min<long long>(span.endRow, source.rows));
  span.firstFrame = std::max(g.sx, 0);
  span.endFrame = g.endColumn;
  return span;
}

uint32_t* PixelAt(QImage& image, int x, int y) {
  return reinterpret_cast<uint32_t*>(image.scanLine(y)) + x;
}

// The cells of one row for columns [first, first + count): the row itself, or
// at several columns per cell each cell repeated into `scratch`.
template <typename T>
const T* ColumnsOfRow(const T* row, int first, int count, int columnsPerCell,
                      std::vector<T>& scratch) {
  if (columnsPerCell == 1) return row + first;
  scratch.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) scratch[i] = row[(first + i) / columnsPerCell];
  return scratch.data();
}

void DrawFormantOverlay(QImage& image, const ViewGeometry& g, const BodySource& source,
                        const BodySpan& span) {
  const int width = span.endFrame - span.firstFrame;
  std::vector<uint8_t> scratch;
  for (int r = span.firstRow; r < span.endRow; ++r) {
    const uint8_t* mask = ColumnsOfRow(source.mask + static_cast<std::size_t>(r) * source.stride,
                                       span.firstFrame, width, source.columnsPerCell, scratch);
    uint32_t* line =
        PixelAt(image, kKeyboardWidth + span.firstFrame - g.sx, r + kRulerHeight - g.sy);
    for (int i = 0; i < width; ++i) {
      if (mask[i] != 0) line[i] = kFormantColor;
    }
  }
}

}  // namespace

LevelScale MakeLevelScale(int32_t levelTopDb, int32_t levelRangeDb) {
  LevelScale scale;
  scale.range = static_cast<float>(levelRangeDb);
  scale.top = static_cast<float>(levelTopDb);
  scale.stepsPerDb = 255.0f / scale.range;
  return scale;
}

void AddLevelRowScalar(const float* levels, uint32_t* pixels, int count, const LevelScale& scale,
                       const ColorTable& table) {
  for (int i = 0; i < count; ++i) {
    const float x = ((levels[i] + scale.range) + scale.top) * scale.stepsPerDb;
    int index = 0;
    if (x >= 255.0f) {
      index = 255;
    } else if (x >= 1.0f) {
      index = static_cast<int>(x);
    }
    pixels[i] = AddSaturated(pixels[i], table[index]);
  }
}

void AddLevelRow(const float* levels, uint32_t* pixels, int count, const LevelScale& scale,
                 const ColorTable& table) {
  const __m128 range = _mm_set1_ps(scale.range);
  const __m128 top = _mm_set1_ps(scale.top);
  const __m128 steps = _mm_set1_ps(scale.stepsPerDb);
  const __m128 lowest = _mm_setzero_ps();
  const __m128 highest = _mm_set1_ps(255.0f);
  const uint32_t* colors = table.data();
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    const __m128 v = _mm_loadu_ps(levels + i);
    __m128 x = _mm_mul_ps(_mm_add_ps(_mm_add_ps(v, range), top), steps);
    // max with x first returns 0 for NaN; limiting before the conversion keeps
    // every index inside the table whatever the level.
    x = _mm_min_ps(_mm_max_ps(x, lowest), highest);
    const __m128i index = _mm_cvttps_epi32(x);
    const __m128i color = _mm_setr_epi32(static_cast<int>(colors[_mm_cvtsi128_si32(index)]),
                                         static_cast<int>(colors[_mm_extract_epi32(index, 1)]),
                                         static_cast<int>(colors[_mm_extract_epi32(index, 2)]),
                                         static_cast<int>(colors[_mm_extract_epi32(index, 3)]));
    auto* target = reinterpret_cast<__m128i*>(pixels + i);
    _mm_storeu_si128(target, _mm_adds_epu8(_mm_loadu_si128(target), color));
  }
  AddLevelRowScalar(levels + i, pixels + i, count - i, scale, table);
}

void DrawSpectrogramBody(QImage& image, const ViewGeometry& g, const RenderInputs& in,
                         const ColorTable& table) {
  if (g.frames <= 0) return;
  const BodySource source = SourceOf(g, in);
  if (source.levels == nullptr || source.stride == 0) return;
  const BodySpan span = VisibleSpan(g, source);
  const int width = span.endFrame - span.firstFrame;
  if (width <= 0 || span.endRow <= span.firstRow) return;
  const LevelScale scale = MakeLevelScale(in.display.m_levelTopDb, in.display.m_levelRangeDb);
  std::vector<float> scratch;
  for (int r = span.firstRow; r < span.endRow; ++r) {
    const float* levels =
        ColumnsOfRow(source.levels + static_cast<std::size_t>(r) * source.stride,
                     span.firstFrame, width, source.columnsPerCell, scratch);
    uint32_t* line =
        PixelAt(image, kKeyboardWidth + span.firstFrame - g.sx, r + kRulerHeight - g.sy);
    AddLevelRow(levels, line, width, scale, table);
  }
  if (in.analysis.m_formantEnabled && source.mask != nullptr)
    DrawFormantOverlay(image, g, source, span);
}

namespace {

// Largest positive sample of the first channel in frame t; 0 when none.
int FramePeak(const RenderInputs& in, long long t) {
  const long long step = in.waveform.m_channels;
  const long long limit = in.waveform.m_dataSize / 2;
  long long index = step * in.analysis.m_hopSize * t;
  int peak = 0;
  for (int s = 0; s < in.analysis.m_hopSize && index < limit; ++s, index += step) {
    if (index >= 0) peak = std::max<int>(peak, in.waveform.m_samples[index]);
  }
  return peak;
}

}  // namespace

void DrawWaveform(QImage& image, const ViewGeometry& g, const RenderInputs& in) {
  if (in.waveform.m_samples == nullptr || in.waveform.m_channels <= 0 || in.analysis.m_hopSize <= 0)
    return;
  const int span = g.height - kRulerHeight;
  const int middle = span / 2 + kRulerHeight;
  const int framesPerColumn = g.scale.FramesPerColumn();
  for (int c = std::max(g.sx, 0); c < g.endColumn; ++c) {
    // Zoomed out, a column shows the largest peak of its frames.
    const long long first = g.scale.FrameOfColumn(c);
    int peak = 0;
    for (long long t = first; t < first + framesPerColumn && t < g.frames; ++t)
      peak = std::max(peak, FramePeak(in, t));
    const int a = static_cast<int>(static_cast<long long>(peak) * span / 65536);
    // The line runs from middle + a up to middle - a, which it does not reach.
    const int yTop = std::max(middle - a + 1, 0);
    const int yEnd = std::min(middle + a + 1, g.height);
    const int x = c - g.sx + kKeyboardWidth;
    for (int y = yTop; y < yEnd; ++y) *PixelAt(image, x, y) = kWaveformColor;
  }
}

}  // namespace velmio

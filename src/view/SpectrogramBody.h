#pragma once
// The body of the picture right of the keyboard and below the ruler: the
// levels of the result as colours (with the formant overlay), or the time
// waveform. Both write straight into the image's pixel memory.
#include <QImage>
#include <cstdint>

#include "view/RenderInputs.h"
#include "view/ViewGeometry.h"

namespace velmio {

// The level-to-colour parameters in the single-precision form the body uses.
struct LevelScale {
  float range = 20.0f;        // m_levelRangeDb
  float top = 24.0f;          // m_levelTopDb
  float stepsPerDb = 12.75f;  // 255 / range
};

LevelScale MakeLevelScale(int32_t levelTopDb, int32_t levelRangeDb);

// Adds the colour of each level's index onto the pixel below it, each byte
// saturating at 255. pixels are 0xffRRGGBB words. Any thread.
void AddLevelRow(const float* levels, uint32_t* pixels, int count, const LevelScale& scale,
                 const ColorTable& table);

// The same, one pixel at a time; the reference the vector path must equal.
void AddLevelRowScalar(const float* levels, uint32_t* pixels, int count, const LevelScale& scale,
                       const ColorTable& table);

// Spectrogram of the visible rows and columns onto an image of Format_RGB32
// that holds the client area, then the formant overlay when it is enabled and
// the result carries a mask of the matrix's size. Zoomed out the cells come
// from in.zoom.level (nothing is drawn without it); zoomed in each frame
// fills several columns. UI thread.
void DrawSpectrogramBody(QImage& image, const ViewGeometry& g, const RenderInputs& in,
                         const ColorTable& table);

// Per column, a light grey line through the middle of the picture as long as
// twice the largest positive sample of the first channel in the column's
// frames, scaled to H - 16. UI thread.
void DrawWaveform(QImage& image, const ViewGeometry& g, const RenderInputs& in);

}  // namespace velmio

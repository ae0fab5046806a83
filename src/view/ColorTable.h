#pragma once
// The colour table that maps colour indices to pixel colours, the colour
// legend picture of the dialog bar and the texts at the legend's two ends.
#include <QImage>
#include <cstdint>
#include <string>

#include "view/RenderInputs.h"

namespace velmio {

// Grey scale for colorMode 0 (entry i is RGB(i, i, i)), otherwise the colour
// ramp black - blue - cyan - green - yellow - red. Entry 0 is black in both,
// so adding it leaves a pixel unchanged. Any thread.
ColorTable BuildColorTable(int colorMode);

// Colour index of a level v in dB: trunc(((v + range) + top) * (255 / range))
// in single precision, limited to 0 ... 255 (0 = pixel left as it is). NaN
// gives 0; a range of 0 gives 0 or 255 by the sign of the level. Any thread.
int LevelToColorIndex(float levelDb, int32_t levelTopDb, int32_t levelRangeDb);

struct LevelLabels {
  std::string m_bottom;  // level of colour index 0: -(range + top) dB
  std::string m_top;     // level of colour index 255: -top dB
};

// The legend's end labels, "%ddB" each. Any thread.
LevelLabels UpdateLevelLabels(int32_t levelTopDb, int32_t levelRangeDb);

constexpr int kLegendWidth = 128;

// Keeps the legend picture of the dialog bar: creates it (kLegendWidth x
// height, black) on the first call, and when table is not null paints column j
// in the colour of table entry 2j. A null table keeps the existing picture.
// UI thread.
void DrawColorLegend(QImage& legend, int height, const ColorTable* table);

}  // namespace velmio

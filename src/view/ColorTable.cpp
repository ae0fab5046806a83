#include "view/ColorTable.h"

#include <cmath>
#include <cstdio>

namespace velmio {
namespace {

constexpr uint32_t Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// Each run after the first spans 48 entries; j counts from 0 inside a run.
constexpr int Rise(int j) {
  return 256 * j / 48;
}
constexpr int Fall(int j) {
  return 256 * (47 - j) / 48;
}

}  // namespace

ColorTable BuildColorTable(int colorMode) {
  ColorTable table{};
  if (colorMode == 0) {
    for (int i = 0; i < 256; ++i) table[i] = Rgb(i, i, i);
    return table;
  }
  for (int i = 0; i < 64; ++i) table[i] = Rgb(0, 0, 4 * i);
  for (int j = 0; j < 48; ++j) {
    table[64 + j] = Rgb(0, Rise(j), 255);
    table[112 + j] = Rgb(0, 255, Fall(j));
    table[160 + j] = Rgb(Rise(j), 255, 0);
    table[208 + j] = Rgb(255, Fall(j), 0);
  }
  return table;
}

int LevelToColorIndex(float levelDb, int32_t levelTopDb, int32_t levelRangeDb) {
  const float range = static_cast<float>(levelRangeDb);
  const float top = static_cast<float>(levelTopDb);
  const float x = ((levelDb + range) + top) * (255.0f / range);
  // Limiting before the conversion keeps huge levels and NaN defined.
  if (!(x >= 1.0f)) return 0;
  if (x >= 255.0f) return 255;
  return static_cast<int>(x);
}

LevelLabels UpdateLevelLabels(int32_t levelTopDb, int32_t levelRangeDb) {
  // 64-bit sums: both values come from unbounded gain and range commands.
  const long long bottom = -(static_cast<long long>(levelRangeDb) + levelTopDb);
  const long long top = -static_cast<long long>(levelTopDb);
  char text[32];
  LevelLabels labels;
  std::snprintf(text, sizeof text, "%llddB", bottom);
  labels.m_bottom = text;
  std::snprintf(text, sizeof text, "%llddB", top);
  labels.m_top = text;
  return labels;
}

void DrawColorLegend(QImage& legend, int height, const ColorTable* table) {
  if (legend.isNull()) {
    legend = QImage(kLegendWidth, height > 0 ? height : 1, QImage::Format_RGB32);
    legend.fill(0);
  }
  if (table == nullptr) return;
  for (int y = 0; y < legend.height(); ++y) {
    auto* line = reinterpret_cast<uint32_t*>(legend.scanLine(y));
    for (int j = 0; j < kLegendWidth; ++j) line[j] = 0xff000000u | (*table)[2 * j];
  }
}

}  // namespace velmio

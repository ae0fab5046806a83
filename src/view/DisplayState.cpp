#include "view/DisplayState.h"

#include "view/ColorTable.h"

namespace velmio {
namespace {

constexpr int64_t kHoverIntervalMs = 50;

}  // namespace

DisplayState::DisplayState(int32_t colorMap) : m_colorTable(BuildColorTable(colorMap)) {}

bool DisplayState::TakeMouseMove(int32_t y, int64_t nowMs) {
  if (y == m_hoverY || nowMs - m_lastHoverClock <= kHoverIntervalMs) return false;
  m_hoverY = y;
  m_lastHoverClock = nowMs;
  return true;
}

int32_t DisplayState::RememberPosition(int32_t positionMs) {
  if (positionMs < 0) return m_lastPositionMs;
  m_lastPositionMs = positionMs;
  return positionMs;
}

bool DisplayState::TakeProgress(int32_t stage, int32_t progress) {
  if (stage == m_lastStageShown && progress == m_lastProgressShown) return false;
  m_lastStageShown = stage;
  m_lastProgressShown = progress;
  return true;
}

bool DisplayState::TakeScrollSizesDirty() {
  const bool dirty = m_scrollSizesDirty;
  m_scrollSizesDirty = false;
  return dirty;
}

void DisplayState::SetColorMap(int32_t colorMap) {
  m_colorTable = BuildColorTable(colorMap);
}

const QImage& DisplayState::Legend(int legendHeight, bool repaint) {
  DrawColorLegend(m_legend, legendHeight, repaint ? &m_colorTable : nullptr);
  return m_legend;
}

DisplaySlice DisplayState::Slice(const AnalysisSettings& settings) const {
  DisplaySlice slice;
  slice.m_levelTopDb = settings.m_levelTopDb;
  slice.m_levelRangeDb = settings.m_levelRangeDb;
  slice.m_colorMap = settings.m_colorMap;
  slice.m_colorTable = &m_colorTable;
  slice.m_hoverY = m_hoverY;
  slice.m_showHarmonics = settings.m_showHarmonics;
  slice.m_harmonicsCount = settings.m_harmonicsCount;
  slice.m_frequencyGrid = m_frequencyGrid;
  slice.m_showWaveform = m_showWaveform;
  slice.m_barDisplay = m_barDisplay;
  return slice;
}

}  // namespace velmio

// Moving around the picture, the display commands and the position read-outs.
#include <cstdio>

#include "view/ColorTable.h"
#include "view/TestView.h"

namespace velmio {
namespace {

constexpr int kKeyboardWidth = 40;
constexpr int64_t kHoverIntervalMs = 50;

}  // namespace

void CTestView::ApplyDisplayChange(bool levels) {
  if (levels) UpdateLevelLabels();
  ForceRender();
  m_host.Invalidate(true);
  m_host.CommandStatesChanged();
}

void CTestView::OnGainUp() {
  m_settings.m_levelTopDb += 2;
  ApplyDisplayChange(true);
}

void CTestView::OnGainDown() {
  m_settings.m_levelTopDb -= 2;
  ApplyDisplayChange(true);
}

void CTestView::OnRangeUp() {
  m_settings.m_levelRangeDb += 2;
  ApplyDisplayChange(true);
}

void CTestView::OnRangeDown() {
  if (m_settings.m_levelRangeDb > 2) m_settings.m_levelRangeDb -= 2;
  ApplyDisplayChange(true);
}

void CTestView::OnToggleHarmonics() {
  m_settings.m_showHarmonics ^= 1;
  ApplyDisplayChange(false);
}

void CTestView::OnToggleWaveform() {
  m_display.m_showWaveform ^= 1;
  ApplyDisplayChange(false);
}

void CTestView::OnTogglePitch() {
  if (!m_pitch.m_pitchEnabled) return;
  m_pitch.m_showPitch ^= 1;
  ApplyDisplayChange(false);
}

void CTestView::OnToggleGrid() {
  m_display.m_frequencyGrid ^= 1;
  ApplyDisplayChange(false);
}

void CTestView::UpdateLevelLabels() {
  const LevelLabels labels =
      velmio::UpdateLevelLabels(m_settings.m_levelTopDb, m_settings.m_levelRangeDb);
  m_host.SetControlText(kControlLevelLow, labels.m_bottom);
  m_host.SetControlText(kControlLevelHigh, labels.m_top);
}

void CTestView::SetColorMap(int colorMap) {
  m_settings.m_colorMap = colorMap;
  m_display.m_colorTable = BuildColorTable(colorMap);
  DrawColorLegend(m_display.m_legend, m_host.LegendHeight(), &m_display.m_colorTable);
  m_host.SetLegendImage(m_display.m_legend);
  ApplyDisplayChange(false);
}

// The scroll bars carry full 32-bit positions, so content wider than 65535
// pixels (about six minutes) is reachable everywhere.
void CTestView::OnHScroll(int32_t position) {
  m_host.Invalidate(true);
  m_host.ScrollTo({position, m_host.GetScrollPosition().y});
}

void CTestView::OnVScroll(int32_t position) {
  m_host.Invalidate(true);
  m_host.ScrollTo({m_host.GetScrollPosition().x, position});
}

void CTestView::OnSize(int32_t width, int32_t /*height*/) {
  if (width > 0 && ShownFrameCount() > 0) {
    ScrollSizes sizes = m_host.GetScrollSizes();
    sizes.pageX = width > kKeyboardWidth ? width - kKeyboardWidth : 1;
    sizes.lineX = 1;
    m_host.SetScrollSizes(sizes);
  }
  m_host.Invalidate(true);
}

void CTestView::OnMouseMove(int32_t /*x*/, int32_t y) {
  const int64_t now = m_host.ClockMilliseconds();
  if (ShownFrameCount() > 0 && y != m_display.m_hoverY &&
      now - m_display.m_lastHoverClock > kHoverIntervalMs) {
    m_display.m_hoverY = y;
    m_display.m_lastHoverClock = now;
    ForceRender();
    m_host.Invalidate(false);
  }
}

// The cursor is drawn over the cached picture: no re-render needed.
void CTestView::OnLButtonDblClk(int32_t x, int32_t /*y*/) {
  if (x < kKeyboardWidth) return;
  const int32_t frame = x + m_host.GetScrollPosition().x - kKeyboardWidth;
  if (m_playback.MoveStartTo(frame)) m_host.Invalidate(false);
}

void CTestView::UpdatePositionText(int32_t positionMs) {
  if (positionMs < 0) positionMs = m_display.m_lastPositionMs;
  m_display.m_lastPositionMs = positionMs;
  const WaveFormat& format = m_waveData.m_wave.format;
  const int64_t bytesPerSecond = format.nAvgBytesPerSec;
  const int32_t total =
      bytesPerSecond > 0
          ? static_cast<int32_t>(int64_t{m_waveData.m_wave.dataSize} * 1000 / bytesPerSecond)
          : 0;
  const int32_t p = positionMs;
  char time[96];
  std::snprintf(time, sizeof time, "%3d:%02d.%1d / %d:%02d.%1d", p / 1000 / 60, p / 1000 % 60,
                p / 100 % 10, total / 1000 / 60, total / 1000 % 60, total / 100 % 10);
  m_host.SetStatusText(kStatusPanePosition, time);
  m_host.SetControlText(kControlTime, std::string("時間") + time);
  if (!m_display.m_barDisplay) {
    m_host.SetControlText(kControlBar, "");
    return;
  }
  const float tempo = static_cast<float>(m_tempo.tempo);
  const float start = static_cast<float>(m_tempo.startMs);
  const float perBar = static_cast<float>(m_tempo.beatsPerBar);
  const auto barAndBeat = [&](int32_t ms, int& bar, int& beat) {
    const float beats = (static_cast<float>(ms) - start) * tempo * 1.6666667e-5f;
    bar = static_cast<int>(beats * (1.0f / perBar));
    beat = static_cast<int>(beats - perBar * static_cast<float>(bar));
  };
  int bar = 0, beat = 0, totalBar = 0, totalBeat = 0;
  barAndBeat(p, bar, beat);
  barAndBeat(total, totalBar, totalBeat);
  char bars[96];
  std::snprintf(bars, sizeof bars, "小節%4d:%2d / %d:%2d", bar, beat, totalBar, totalBeat);
  m_host.SetControlText(kControlBar, bars);
}

}  // namespace velmio

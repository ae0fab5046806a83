// Moving around the picture, the display commands and the position read-outs.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "view/ColorTable.h"
#include "view/ReadOut.h"
#include "view/TestView.h"
#include "view/ViewGeometry.h"

namespace velmio {

void CTestView::ApplyDisplayChange(bool levels) {
  if (levels) UpdateLevelLabels();
  ForceRender();
  m_host.Invalidate();
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

void CTestView::SetLevels(int32_t topDb, int32_t rangeDb) {
  m_settings.m_levelTopDb = topDb;
  m_settings.m_levelRangeDb = rangeDb;
  ApplyDisplayChange(true);
}

void CTestView::OnToggleHarmonics() {
  m_settings.m_showHarmonics ^= 1;
  ApplyDisplayChange(false);
}

void CTestView::SetHarmonicsCount(int32_t count) {
  m_settings.m_harmonicsCount = count;
  ApplyDisplayChange(false);
}

void CTestView::OnToggleWaveform() {
  m_display.ToggleWaveform();
  ApplyDisplayChange(false);
}

void CTestView::OnTogglePitch() {
  if (m_singleVoice.TogglePitchCurve()) ApplyDisplayChange(false);
}

void CTestView::OnToggleGrid() {
  m_display.ToggleFrequencyGrid();
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
  m_display.SetColorMap(colorMap);
  m_host.SetLegendImage(m_display.Legend(m_host.LegendHeight(), true));
  ApplyDisplayChange(false);
}

// The scroll bars carry full 32-bit positions, so content wider than 65535
// pixels (about six minutes) is reachable everywhere.
void CTestView::OnHScroll(int32_t position) {
  m_host.Invalidate();
  m_host.ScrollTo({position, m_host.GetScrollPosition().y});
}

void CTestView::OnVScroll(int32_t position) {
  m_host.Invalidate();
  m_host.ScrollTo({m_host.GetScrollPosition().x, position});
}

void CTestView::OnSize(int32_t width, int32_t /*height*/) {
  if (width > 0 && m_analysis.ShownFrameCount() > 0) {
    ScrollSizes sizes = m_host.GetScrollSizes();
    sizes.pageX = width > kKeyboardWidth ? width - kKeyboardWidth : 1;
    sizes.lineX = 1;
    m_host.SetScrollSizes(sizes);
  }
  m_host.Invalidate();
}

void CTestView::OnMouseMove(int32_t x, int32_t y) {
  if (m_analysis.ShownFrameCount() <= 0) return;
  ShowReadOut(x, y);
  if (!m_display.TakeMouseMove(y, m_host.ClockMilliseconds())) return;
  ForceRender();
  m_host.Invalidate();
}

std::string CTestView::ReadOutAt(int32_t x, int32_t y) const {
  if (m_analysis.ShownFrameCount() <= 0 || y < kRulerHeight) return {};
  const AnalysisParams& params = m_analysis.Params();
  ReadOutSource source;
  source.spectrogram = &m_analysis.Result();
  source.highNote = params.highNote;
  source.lowNote = params.lowNote;
  source.binsPerSemitone = params.binsPerSemitone;
  source.a4Frequency = params.a4Frequency;
  source.sampleRate = m_analysis.Kernels().sampleRate;
  source.hopSize = m_analysis.Kernels().hopSize;
  source.scale = m_display.Scale();
  const ScrollPoint scroll = m_host.GetScrollPosition();
  const int64_t row = int64_t{y} - kRulerHeight + scroll.y;
  const int64_t column = x < kKeyboardWidth ? -1 : int64_t{x} - kKeyboardWidth + scroll.x;
  const std::optional<ReadOutCell> cell = ReadCell(source, row, column);
  return cell ? FormatReadOut(*cell) : std::string();
}

// Every move: the text is cheap, unlike the hover band's re-render.
void CTestView::ShowReadOut(int32_t x, int32_t y) {
  const std::string text = ReadOutAt(x, y);
  if (m_display.TakeReadOut(text)) m_host.SetStatusText(kStatusPaneReadOut, text);
}

void CTestView::SetHover(int32_t y) {
  m_display.SetHover(y);
  ForceRender();
  m_host.Invalidate();
}

// The first frame shown in client column x, at the current zoom (left of the
// picture: before frame 0).
int32_t CTestView::FrameAtColumn(int32_t x) const {
  const int64_t column = int64_t{x} + m_host.GetScrollPosition().x - kKeyboardWidth;
  const int64_t frame = m_display.Scale().FrameOfColumn(column);
  return static_cast<int32_t>(std::clamp<int64_t>(frame, INT32_MIN, INT32_MAX));
}

// The cursor is drawn over the cached picture: no re-render needed.
void CTestView::OnLButtonDblClk(int32_t x, int32_t /*y*/) {
  if (x < kKeyboardWidth) return;
  if (!m_playback.MoveStartTo(FrameAtColumn(x))) return;
  // The read-outs show where playback will start, as they do after a rewind.
  const int64_t bytesPerSecond = m_recording.Format().nAvgBytesPerSec;
  if (bytesPerSecond > 0)
    UpdatePositionText(
        static_cast<int32_t>(int64_t{m_playback.PlayStartByte()} * 1000 / bytesPerSecond));
  m_host.Invalidate();
}

void CTestView::UpdatePositionText(int32_t positionMs) {
  const int32_t p = m_display.RememberPosition(positionMs);
  const int32_t total = m_recording.DurationMs();
  char time[96];
  std::snprintf(time, sizeof time, "%3d:%02d.%1d / %d:%02d.%1d", p / 1000 / 60, p / 1000 % 60,
                p / 100 % 10, total / 1000 / 60, total / 1000 % 60, total / 100 % 10);
  m_host.SetStatusText(kStatusPanePosition, time);
  m_host.SetControlText(kControlTime, std::string("時間") + time);
  if (!m_display.BarDisplay()) {
    m_host.SetControlText(kControlBar, "");
    return;
  }
  const BarAndBeat now = m_tempo.At(p);
  const BarAndBeat end = m_tempo.At(total);
  char bars[96];
  std::snprintf(bars, sizeof bars, "小節%4d:%2d / %d:%2d", now.bar, now.beat, end.bar, end.beat);
  m_host.SetControlText(kControlBar, bars);
}

}  // namespace velmio

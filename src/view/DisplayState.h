#pragma once
// What the picture shows besides the analysis itself and is not kept in the
// settings file: the waveform and grid switches, the bar display, the mouse
// row, the colour table and legend, and the read-outs' memory. The display
// options that are kept (gain, range, harmonics, colour map) live in the
// settings record; Slice() joins both for the renderer. UI thread.
#include <QImage>
#include <cstdint>
#include <string>

#include "persist/AnalysisSettings.h"
#include "view/RenderInputs.h"
#include "view/TimeScale.h"

namespace velmio {

class DisplayState {
 public:
  explicit DisplayState(int32_t colorMap);

  void ToggleWaveform() { m_showWaveform = !m_showWaveform; }
  void ToggleFrequencyGrid() { m_frequencyGrid = !m_frequencyGrid; }
  void SetBarDisplay(bool on) { m_barDisplay = on; }
  // The zoom in time (a step of kZoomSteps; others give one frame per column).
  void SetZoomStep(int step) { m_timeScale = TimeScale::FromStep(step); }
  const TimeScale& Scale() const { return m_timeScale; }
  // A new result is shown from the middle of its pitch range (where most
  // music lies) instead of its top.
  void SetOpenAtMiddleOfRange(bool on) { m_openAtMiddle = on; }
  bool OpensAtMiddleOfRange() const { return m_openAtMiddle; }
  bool ShowsWaveform() const { return m_showWaveform; }
  bool FrequencyGrid() const { return m_frequencyGrid; }
  bool BarDisplay() const { return m_barDisplay; }

  // A mouse move to row y at `nowMs`: taken when y changed and the last
  // taken move is more than 50 ms old, so that a fast mouse does not
  // re-render the picture for every pixel. True when taken.
  bool TakeMouseMove(int32_t y, int64_t nowMs);
  // The hover row without the rate limit (batch rendering).
  void SetHover(int32_t y) { m_hoverY = y; }
  int32_t HoverY() const { return m_hoverY; }

  // True when `text` differs from the read-out shown last, which it becomes.
  bool TakeReadOut(const std::string& text) {
    if (text == m_lastReadOut) return false;
    m_lastReadOut = text;
    return true;
  }

  // The position of the time read-out: a negative value repeats the last one.
  int32_t RememberPosition(int32_t positionMs);
  // True when the stage (an analysis state) or its progress differs from
  // the last ones shown, which they become.
  bool TakeProgress(int32_t stage, int32_t progress);

  // The scroll sizes follow the result at the next initial update.
  void MarkScrollSizesDirty() { m_scrollSizesDirty = true; }
  // True once after MarkScrollSizesDirty.
  bool TakeScrollSizesDirty();

  // Rebuilds the colour table for `colorMap` (the legend follows when next painted).
  void SetColorMap(int32_t colorMap);
  const ColorTable& Colors() const { return m_colorTable; }
  // The legend picture, repainted from the table when `repaint` (else kept).
  const QImage& Legend(int legendHeight, bool repaint);

  DisplaySlice Slice(const AnalysisSettings& settings) const;

 private:
  bool m_showWaveform = false;
  bool m_frequencyGrid = false;
  bool m_barDisplay = false;
  TimeScale m_timeScale;
  bool m_openAtMiddle = false;
  int32_t m_hoverY = -1;
  int64_t m_lastHoverClock = 0;  // clock of the last accepted mouse move
  int32_t m_lastPositionMs = 0;
  std::string m_lastReadOut;
  int32_t m_lastStageShown = -1;
  int32_t m_lastProgressShown = -1;
  bool m_scrollSizesDirty = false;
  ColorTable m_colorTable{};
  QImage m_legend;
};

}  // namespace velmio

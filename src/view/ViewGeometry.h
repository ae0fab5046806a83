#pragma once
// The pixel geometry of one paint: where the keyboard, ruler and body lie and
// which rows and frames of the result are visible.
#include <algorithm>
#include <cstdint>

#include "engine/AnalysisParams.h"
#include "view/RenderInputs.h"

namespace velmio {

constexpr int kKeyboardWidth = 40;  // keyboard strip, x = 0 ... 39
constexpr int kRulerHeight = 16;    // time ruler, y = 0 ... 15
constexpr int kRowsPerOctave = 12 * kRowsPerSemitone;

// Display rows of an analysis: eight per semitone of its range.
inline int32_t ViewRowCount(const AnalysisParams& params) {
  return kRowsPerSemitone * (params.highNote - params.lowNote);
}

struct ViewGeometry {
  int width = 0;   // W
  int height = 0;  // H
  int sx = 0;
  int sy = 0;
  int octaves = 0;
  int rows = 0;            // R = 8 x (high - low)
  int frames = 0;          // F
  int drawnHeight = 0;     // D = min(H, R + 16)
  int columns = 0;         // content columns of the F frames at this zoom
  int endColumn = 0;       // last visible content column, exclusive (tEnd at one frame per column)
  int hoverSemitone = -1;  // p, counted from the top of the picture; -1 = none
  TimeScale scale;

  // Client x of the column where `frame` starts; far-off frames are kept a
  // little outside the image so that lines to them stay drawable.
  int ClientXOfFrame(int64_t frame) const {
    const int64_t x = scale.ColumnOfFrame(frame) - sx + kKeyboardWidth;
    return static_cast<int>(std::clamp<int64_t>(x, -(1 << 20), 1 << 20));
  }
  // The first frame shown at client x (left of the body: frames before sx).
  int64_t FrameAtClientX(int x) const {
    return scale.FrameOfColumn(int64_t{x} - kKeyboardWidth + sx);
  }
};

inline ViewGeometry ComputeViewGeometry(const RenderInputs& in) {
  ViewGeometry g;
  g.width = std::max(in.viewport.m_clientWidth, 0);
  g.height = std::max(in.viewport.m_clientHeight, 0);
  g.sx = in.viewport.m_scrollX;
  g.sy = in.viewport.m_scrollY;
  const int semitones = std::max(in.analysis.m_highNote - in.analysis.m_lowNote, 0);
  g.octaves = semitones / 12;
  g.rows = kRowsPerSemitone * semitones;
  g.frames = in.analysis.m_spectrogram != nullptr
                 ? std::max(in.analysis.m_spectrogram->m_frameCount, 0)
                 : 0;
  g.drawnHeight = std::min(g.height, g.rows + kRulerHeight);
  g.scale = in.zoom.scale;
  g.columns = g.scale.ColumnCount(g.frames);
  g.endColumn = std::min(g.width - kKeyboardWidth + g.sx, g.columns);
  if (in.display.m_hoverY >= kRulerHeight) {
    const int position = in.display.m_hoverY + g.sy - kRulerHeight;
    g.hoverSemitone = position >= 0 ? position / kRowsPerSemitone : -1;
  }
  return g;
}

}  // namespace velmio

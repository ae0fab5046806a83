#include "view/MarkerPainter.h"

#include <QPen>
#include <algorithm>
#include <cstdlib>

#include "view/PaintPrimitives.h"

namespace velmio {
namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kBlue = 0xff0000ff;
constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kYellow = 0xffffff00;
constexpr int kMaxPitchJump = 48;  // rows: six semitones

bool InsidePicture(int y, const ViewGeometry& g) {
  return y >= kRulerHeight && y <= g.height - 1;
}

}  // namespace

namespace {

// The frame whose pitch stands for content column c: zoomed out the first of
// its frames whose pitch lies in the picture, so a short voiced stretch inside
// a column still shows; otherwise the column's own frame. -1 when none.
int64_t PitchFrameOfColumn(const ViewGeometry& g, const RenderInputs& in, int64_t c) {
  const int64_t first = g.scale.FrameOfColumn(c);
  const int64_t end = std::min<int64_t>(first + g.scale.FramesPerColumn(),
                                        in.pitch.m_pitchTrackLength);
  if (first < 0 || first >= end) return -1;
  for (int64_t t = first; t < end; ++t) {
    if (InsidePicture(in.pitch.m_pitchTrack[t] - g.sy, g)) return t;
  }
  return first;
}

}  // namespace

void DrawPitchCurve(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  if (!in.pitch.m_showPitch || in.pitch.m_pitchTrack == nullptr) return;
  QPen pen(QColor::fromRgb(in.display.m_colorMap != 0 ? kWhite : kRed));
  pen.setWidth(2);
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  if (g.scale.IsIdentity()) {
    const int end = std::min(g.endColumn, in.pitch.m_pitchTrackLength);
    for (int t = std::max(g.sx + 1, 1); t < end; ++t) {
      const int y0 = in.pitch.m_pitchTrack[t - 1] - g.sy;
      const int y1 = in.pitch.m_pitchTrack[t] - g.sy;
      if (!InsidePicture(y0, g) || !InsidePicture(y1, g) || std::abs(y0 - y1) >= kMaxPitchJump) {
        continue;
      }
      const int x = t - g.sx + kKeyboardWidth;
      painter.drawLine(x - 1, y0, x, y1);
    }
    return;
  }
  // Zoomed: one point per frame step (a frame's columns when zoomed in, a
  // column's frames when zoomed out), joined as at one frame per column.
  const int step = g.scale.ColumnsPerFrame();
  // Lines start at the first point inside the body, as at one frame per column.
  const int64_t firstColumn = (std::max(g.sx, 0) + step - 1) / step * step;
  int64_t previous = PitchFrameOfColumn(g, in, firstColumn);
  for (int64_t c = firstColumn + step; c < g.endColumn; c += step) {
    const int64_t t = PitchFrameOfColumn(g, in, c);
    if (t >= 0 && previous >= 0) {
      const int y0 = in.pitch.m_pitchTrack[previous] - g.sy;
      const int y1 = in.pitch.m_pitchTrack[t] - g.sy;
      if (InsidePicture(y0, g) && InsidePicture(y1, g) && std::abs(y0 - y1) < kMaxPitchJump) {
        const int x = static_cast<int>(c - g.sx) + kKeyboardWidth;
        painter.drawLine(x - step, y0, x, y1);
      }
    }
    previous = t;
  }
}

void DrawLoopMarkers(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  if (!in.playback.m_loopEnabled) return;
  const int xs = g.ClientXOfFrame(in.playback.m_loopStartFrame);
  if (xs > kKeyboardWidth && xs < g.width)
    DrawVLine(painter, xs, kRulerHeight, g.drawnHeight, kRed);
  const int xe = g.ClientXOfFrame(in.playback.m_loopEndFrame);
  if (xe > kKeyboardWidth && xe < g.width)
    DrawVLine(painter, xe, kRulerHeight, g.drawnHeight, kBlue);
}

void DrawPlayCursor(QPainter& painter, const RenderInputs& in) {
  const ViewGeometry g = ComputeViewGeometry(in);
  const int x = g.ClientXOfFrame(in.playback.m_cursorFrame);
  DrawVLine(painter, x, kRulerHeight, g.drawnHeight, kYellow);
}

}  // namespace velmio

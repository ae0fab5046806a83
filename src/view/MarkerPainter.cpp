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

void DrawPitchCurve(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  if (!in.pitch.m_showPitch || in.pitch.m_pitchTrack == nullptr) return;
  QPen pen(QColor::fromRgb(in.display.m_colorMap != 0 ? kWhite : kRed));
  pen.setWidth(2);
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  const int end = std::min(g.endFrame, in.pitch.m_pitchTrackLength);
  for (int t = std::max(g.sx + 1, 1); t < end; ++t) {
    const int y0 = in.pitch.m_pitchTrack[t - 1] - g.sy;
    const int y1 = in.pitch.m_pitchTrack[t] - g.sy;
    if (!InsidePicture(y0, g) || !InsidePicture(y1, g) || std::abs(y0 - y1) >= kMaxPitchJump) {
      continue;
    }
    const int x = t - g.sx + kKeyboardWidth;
    painter.drawLine(x - 1, y0, x, y1);
  }
}

void DrawLoopMarkers(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  if (!in.playback.m_loopEnabled) return;
  const int xs = in.playback.m_loopStartFrame - g.sx + kKeyboardWidth;
  if (xs > kKeyboardWidth && xs < g.width)
    DrawVLine(painter, xs, kRulerHeight, g.drawnHeight, kRed);
  const int xe = in.playback.m_loopEndFrame - g.sx + kKeyboardWidth;
  if (xe > kKeyboardWidth && xe < g.width)
    DrawVLine(painter, xe, kRulerHeight, g.drawnHeight, kBlue);
}

void DrawPlayCursor(QPainter& painter, const RenderInputs& in) {
  const ViewGeometry g = ComputeViewGeometry(in);
  const int x = in.playback.m_cursorFrame - g.sx + kKeyboardWidth;
  DrawVLine(painter, x, kRulerHeight, g.drawnHeight, kYellow);
}

}  // namespace velmio

#include "view/GridPainter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "view/PaintPrimitives.h"

namespace velmio {
namespace {

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kWhite = 0xffffffff;

// Semitones above C0 (16.352 Hz) of 20 ... 90 Hz, 100 ... 900 Hz, 1 ... 9 kHz
// and 10 ... 40 kHz, rounded to two decimals. Fixed whatever A4 is tuned to.
constexpr std::array<float, 30> kFrequencyLines = {
    3.48f,  10.50f, 15.48f,  19.34f,  22.50f,  25.17f,  27.48f,  29.52f,  31.34f,  43.34f,
    50.36f, 55.34f, 59.21f,  62.36f,  65.03f,  67.34f,  69.38f,  71.21f,  83.21f,  90.23f,
    95.21f, 99.07f, 102.23f, 104.90f, 107.21f, 109.25f, 111.07f, 123.07f, 130.09f, 135.07f};

const char* FrequencyLabel(int index) {
  switch (index) {
    case 8:
      return "100Hz";
    case 17:
      return " 1kHz";
    case 26:
      return "10kHz";
    default:
      return nullptr;
  }
}

void DrawOctaveLines(QPainter& painter, const ViewGeometry& g) {
  for (int k = 1; k <= g.octaves; ++k) {
    const int y = kRowsPerOctave * k - g.sy + kRulerHeight;
    if (y >= kRulerHeight) DrawHLine(painter, kKeyboardWidth, g.width, y, kGridGreen);
  }
}

QRgb DrawFrequencyLines(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  const float low = static_cast<float>(in.analysis.m_lowNote);
  const float high = static_cast<float>(in.analysis.m_highNote);
  QRgb pen = kGridGreen;
  for (int i = 0; i < static_cast<int>(kFrequencyLines.size()); ++i) {
    const float v = kFrequencyLines[i];
    if (!(v > low - 0.5f && v < high + 0.5f)) continue;
    const float yf = (high - 0.5f - v) * 8.0f + 16.0f - static_cast<float>(g.sy) - 1.0f;
    const int y = static_cast<int>(yf);
    if (y < kRulerHeight) continue;
    if (const char* label = FrequencyLabel(i)) {
      DrawLabel(painter, 22, y, QString::fromLatin1(label), 5, kBlack, kWhite);
      pen = kGridGreen;
    } else {
      pen = kGridDarkGreen;
    }
    DrawHLine(painter, kKeyboardWidth, g.width, y, pen);
  }
  return pen;
}

// Lines per frame and the frame of line 0 of the time grid.
struct TimeGridScale {
  float linesPerFrame = 0.0f;  // L
  float offsetFrames = 0.0f;   // M
};

TimeGridScale MakeTimeGridScale(const RenderInputs& in) {
  const float secondsPerFrame =
      static_cast<float>(in.analysis.m_hopSize) / static_cast<float>(in.analysis.m_sampleRate);
  TimeGridScale scale{secondsPerFrame, 0.0f};
  if (in.display.m_barDisplay && in.tempo.tempo > 0) {
    scale.offsetFrames = in.tempo.StartFrame(secondsPerFrame);
    scale.linesPerFrame = in.tempo.BeatsPerFrame(secondsPerFrame);
  }
  return scale;
}

void DrawTimeLabel(QPainter& painter, const RenderInputs& in, int n, int beatsPerBar, int x) {
  char text[32];
  if (in.display.m_barDisplay && in.tempo.IsSet()) {
    if (n % beatsPerBar != 0) return;
    std::snprintf(text, sizeof text, "%4d", n / beatsPerBar);
    DrawLabel(painter, x - 12, 2, QString::fromLatin1(text), 4, kBlack, kWhite);
    DrawLabel(painter, 2, 2, QStringLiteral("小節"), 2, kBlack, kWhite);
  } else {
    std::snprintf(text, sizeof text, "%2d:%02d", n / 60, n % 60);
    DrawLabel(painter, x - 12, 2, QString::fromLatin1(text), 5, kBlack, kWhite);
    DrawLabel(painter, 2, 2, QStringLiteral("分:秒"), 3, kBlack, kWhite);
  }
}

// Zoomed out, a line per second or beat would crowd the picture and its
// labels overlap: only lines at least this far apart are drawn, and labels
// only on lines far enough apart to hold them. At one frame per column or
// zoomed in every line and label is drawn.
constexpr float kMinLabelSpacing = 48.0f;
constexpr float kMinLineSpacing = 6.0f;

struct GridThinning {
  bool everything = true;
  bool bars = false;
  int beatsPerBar = 1;
  int stride = 1;  // seconds, or bars between labelled bar lines
  bool barLines = true;
  bool beatLines = true;

  bool Labels(int n) const {
    if (everything) return true;
    if (!bars) return n % stride == 0;
    return n % beatsPerBar == 0 && (n / beatsPerBar) % stride == 0;
  }
  bool Draws(int n) const {
    if (everything || Labels(n)) return true;
    if (!bars) return false;
    return n % beatsPerBar == 0 ? barLines : beatLines;
  }
};

int StrideFor(float pixelsPerUnit, std::initializer_list<int> strides) {
  int chosen = 1;
  for (int stride : strides) {
    chosen = stride;
    if (static_cast<float>(stride) * pixelsPerUnit >= kMinLabelSpacing) break;
  }
  return chosen;
}

GridThinning ThinningFor(const ViewGeometry& g, const RenderInputs& in, float linesPerFrame,
                         int beatsPerBar) {
  GridThinning thin;
  if (g.scale.FramesPerColumn() == 1) return thin;
  thin.everything = false;
  thin.bars = in.display.m_barDisplay && in.tempo.tempo > 0;
  thin.beatsPerBar = beatsPerBar;
  const float pixelsPerLine = 1.0f / linesPerFrame / g.scale.FramesPerColumnF();
  if (!thin.bars) {
    thin.stride = StrideFor(pixelsPerLine, {1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 3600});
    return thin;
  }
  const float pixelsPerBar = pixelsPerLine * static_cast<float>(beatsPerBar);
  thin.stride = StrideFor(pixelsPerBar, {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024});
  thin.barLines = pixelsPerBar >= kMinLineSpacing;
  thin.beatLines = pixelsPerLine >= kMinLineSpacing;
  return thin;
}

// Bounds the loop so that absurd tempo or start values cannot overflow the
// integer conversions or spin for minutes; such grids are unreadable anyway.
constexpr float kFrameLimit = 1.0e9f;
constexpr long long kMaxTimeLines = 1 << 20;

}  // namespace

QRgb DrawPitchGrid(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  if (!in.display.m_frequencyGrid) {
    DrawOctaveLines(painter, g);
    return kGridGreen;
  }
  return DrawFrequencyLines(painter, g, in);
}

void DrawTimeGrid(QPainter& painter, const ViewGeometry& g, const RenderInputs& in,
                  QRgb secondsPen) {
  if (in.analysis.m_hopSize <= 0 || in.analysis.m_sampleRate <= 0) return;
  const TimeGridScale scale = MakeTimeGridScale(in);
  const float L = scale.linesPerFrame;
  const float M = scale.offsetFrames;
  // The visible frames: the scroll position and width in columns, in frames.
  const float framesPerColumn = g.scale.FramesPerColumnF();
  const float sx = static_cast<float>(g.sx) * framesPerColumn;
  const float width = static_cast<float>(g.width) * framesPerColumn;
  const float firstF = std::ceil((sx - M) * L);
  const float lastF = std::floor((sx - M + width) * L);
  if (!(std::fabs(firstF) < kFrameLimit && std::fabs(lastF) < kFrameLimit)) return;
  if (std::fabs(M) >= kFrameLimit) return;
  const int first = static_cast<int>(firstF);
  const int last = static_cast<int>(lastF);
  if (static_cast<long long>(last) - first > kMaxTimeLines) return;
  const int beatsPerBar = std::max(in.tempo.beatsPerBar, 1);
  const float framesPerLine = 1.0f / L;
  const GridThinning thin = ThinningFor(g, in, L, beatsPerBar);
  for (int n = first; n <= last; ++n) {
    if (!thin.Draws(n)) continue;
    const float frameF = static_cast<float>(n) * framesPerLine + M;
    if (!(std::fabs(frameF) < kFrameLimit)) continue;
    const int x = g.ClientXOfFrame(static_cast<int>(frameF));
    QRgb pen = secondsPen;
    if (in.display.m_barDisplay) pen = n % beatsPerBar == 0 ? kGridGreen : kGridDarkGreen;
    DrawVLine(painter, x, kRulerHeight, g.drawnHeight, pen);
    if (thin.Labels(n)) DrawTimeLabel(painter, in, n, beatsPerBar, x);
  }
}

}  // namespace velmio

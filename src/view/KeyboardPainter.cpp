#include "view/KeyboardPainter.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "view/PaintPrimitives.h"

namespace velmio {
namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kHoverBand = 0xff606060;     // RGB(96, 96, 96)
constexpr QRgb kHarmonicBand = 0xff404040;  // RGB(64, 64, 64)
constexpr int kBlackKeyWidth = 22;
constexpr int kWhiteKeysPerOctave = 7;

// Indexed by semitone position mod 12 counted from the B at the top of an
// octave; -1 where the semitone has no key of that colour.
constexpr std::array<int, 12> kWhiteKeyIndex = {0, -1, 1, -1, 2, -1, 3, 4, -1, 5, -1, 6};
constexpr std::array<int, 12> kBlackKeyBelow = {-1, 0, -1, 1, -1, 2, -1, -1, 4, -1, 5, -1};

// Semitones from one harmonic band to the next, for harmonics 1 ... 8.
constexpr std::array<int, 9> kHarmonicStep = {0, 0, 12, 7, 5, 4, 3, 3, 2};
constexpr int kMaxHarmonics = 8;

int KeyOf(int semitone, const std::array<int, 12>& table) {
  if (semitone < 0) return -1;
  const int index = table[semitone % 12];
  return index < 0 ? -1 : semitone / 12 * kWhiteKeysPerOctave + index;
}

int WhiteKeyTop(int k) {
  return kRowsPerOctave * k / kWhiteKeysPerOctave;
}

void DrawWhiteKeys(QPainter& painter, const ViewGeometry& g, int keys, int hoveredKey) {
  for (int k = 0; k <= keys; ++k) {
    const int y = std::max(kRulerHeight, WhiteKeyTop(k) - g.sy + kRulerHeight);
    DrawHLine(painter, 0, kKeyboardWidth, y, kBlack);
    if (k < keys && k == hoveredKey) {
      FillBox(painter, 0, y, kKeyboardWidth, WhiteKeyTop(k + 1) - g.sy + kRulerHeight, kRed);
    }
  }
}

void DrawBlackKeys(QPainter& painter, const ViewGeometry& g, int keys, int hoveredKey) {
  constexpr double kSeventh = 1.0 / 7.0;
  for (int k = 0; k < keys; ++k) {
    if (k % kWhiteKeysPerOctave == 3 || k % kWhiteKeysPerOctave == 6) continue;  // F, C
    const int top = static_cast<int>((k + 0.5) * 8 * 12 * kSeventh + 16 + 2 - g.sy);
    const int bottom = static_cast<int>((k + 1.5) * 8 * 12 * kSeventh + 16 - 2 - g.sy);
    if (top < kRulerHeight) continue;
    FillBox(painter, 0, top, kBlackKeyWidth, bottom, k == hoveredKey ? kRed : kBlack);
  }
}

}  // namespace

void DrawKeyboard(QPainter& painter, const ViewGeometry& g) {
  FillBox(painter, 0, 0, kKeyboardWidth, g.height + kRulerHeight, kWhite);
  FillBox(painter, 0, 0, g.width, kRulerHeight, kWhite);
  const int keys = kWhiteKeysPerOctave * g.octaves;
  DrawWhiteKeys(painter, g, keys, KeyOf(g.hoverSemitone, kWhiteKeyIndex));
  DrawBlackKeys(painter, g, keys, KeyOf(g.hoverSemitone, kBlackKeyBelow));
  const int lastLine = std::max(kRulerHeight, WhiteKeyTop(keys) - g.sy + kRulerHeight);
  DrawVLine(painter, kKeyboardWidth, kRulerHeight, lastLine, kBlack);
}

void DrawNoteBands(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  if (g.hoverSemitone < 0) return;
  const int count = in.display.m_showHarmonics != 0
                        ? std::clamp(in.display.m_harmonicsCount, 1, kMaxHarmonics)
                        : 1;
  int y = kRowsPerSemitone * g.hoverSemitone - g.sy + kRulerHeight;
  for (int h = 1; h <= count; ++h) {
    y -= kRowsPerSemitone * kHarmonicStep[h];
    if (y < kRulerHeight) continue;
    FillBox(painter, kKeyboardWidth, y, g.width, y + kRowsPerSemitone,
            h == 1 ? kHoverBand : kHarmonicBand);
  }
}

void DrawOctaveLabels(QPainter& painter, const ViewGeometry& g, const RenderInputs& in) {
  char text[16];
  for (int k = 0; k < g.octaves; ++k) {
    const int y = kRowsPerOctave * k - g.sy + 100;
    if (y < kRulerHeight) continue;
    std::snprintf(text, sizeof text, "%3d", in.analysis.m_highNote / 12 - k - 1);
    DrawLabel(painter, 24, y, QString::fromLatin1(text), 3, kBlack, kWhite);
  }
}

}  // namespace velmio

#pragma once
// Small hand-filled results and pixel helpers for the renderer tests.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <cstdint>
#include <functional>

#include "engine/Spectrogram.h"
#include "view/PaintPrimitives.h"
#include "view/RenderInputs.h"
#include "view/SpectrogramRenderer.h"

namespace velmio::test {

// A result of `rows` x `frames` cells, all silent unless set.
struct SyntheticResult {
  Spectrogram s;
  SyntheticResult(int rows, int frames) {
    s.m_rowCount = rows;
    s.m_frameCount = frames;
    s.m_levelDb.Reset(static_cast<std::size_t>(rows) * frames);
    for (float& v : s.m_levelDb) v = kSilenceDb;
  }
  void Set(int row, int frame, float db) {
    s.m_levelDb[std::size_t(row) * s.m_frameCount + frame] = db;
  }
  // All 8 rows of a note (semitones above C0) in a picture whose top note is highNote - 1.
  void SetNote(int note, int highNote, int frame, float db) {
    for (int j = 0; j < 8; ++j) Set(8 * (highNote - 1 - note) + j, frame, db);
  }
};

// Two octaves C4 ... B5 (192 rows) in a 200 x 240 window, result taken over.
inline RenderInputs SmallView(const Spectrogram& s) {
  RenderInputs in;
  in.viewport.m_clientWidth = 200;
  in.viewport.m_clientHeight = 240;
  in.analysis.m_spectrogram = &s;
  in.analysis.m_analysisState = AnalysisState::kTakenOver;
  in.analysis.m_lowNote = 48;
  in.analysis.m_highNote = 72;
  return in;
}

// The rendered picture without the play cursor.
inline QImage RenderPicture(const RenderInputs& in) {
  SpectrogramRenderer renderer;
  renderer.RenderIfNeeded(in);
  return renderer.Cache().m_backBuffer;
}

inline uint32_t Rgb(const QImage& image, int x, int y) {
  return image.pixel(x, y) & 0xffffffu;
}

// Number of pixels in [x0, x1) x [y0, y1) for which `match` holds.
inline int CountPixels(const QImage& image, int x0, int y0, int x1, int y1,
                       const std::function<bool(uint32_t)>& match) {
  int count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) count += match(Rgb(image, x, y)) ? 1 : 0;
  }
  return count;
}

inline int CountColor(const QImage& image, int x0, int y0, int x1, int y1, uint32_t rgb) {
  return CountPixels(image, x0, y0, x1, y1, [rgb](uint32_t p) { return p == rgb; });
}

// True when image shows text as a label (black on white, or the given
// colours) with its top-left corner at (x, y); columns from clipRight on are
// not compared, for labels that a later line crosses.
inline bool ShowsLabel(const QImage& image, int x, int y, const QString& text,
                       const QFont& font = LabelFont(), int clipRight = 1 << 30,
                       QRgb textColor = 0xff000000, QRgb background = 0xffffffff) {
  const QFontMetrics metrics(font);
  QImage expected(metrics.horizontalAdvance(text), QFontInfo(font).pixelSize(),
                  QImage::Format_RGB32);
  expected.fill(0xff123456);
  {
    QPainter painter(&expected);
    painter.setFont(font);
    DrawLabel(painter, 0, 0, text, int(text.size()), textColor, background);
  }
  const int width = std::min(expected.width(), clipRight - x);
  for (int j = 0; j < expected.height(); ++j) {
    for (int i = 0; i < width; ++i) {
      if (!image.rect().contains(x + i, y + j)) continue;
      if (Rgb(image, x + i, y + j) != (expected.pixel(i, j) & 0xffffffu)) return false;
    }
  }
  return true;
}

}  // namespace velmio::test

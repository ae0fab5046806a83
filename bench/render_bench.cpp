// Re-renders a 1920 x 1080 view of 60 seconds at 44.1 kHz, C1-C10, at the
// default display settings, with the shipped renderer and with a plain
// reference that draws the body through QImage::pixel / setPixel, and prints
// the ratio of their times. Also times a paint that only copies the cached
// picture and draws the cursor, and the re-render at every zoom step against
// a reference that finds each column's loudest frame while drawing.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "RatioReporter.h"
#include "view/ColorTable.h"
#include "view/GridPainter.h"
#include "view/KeyboardPainter.h"
#include "view/MarkerPainter.h"
#include "view/PaintPrimitives.h"
#include "view/SpectrogramRenderer.h"
#include "view/TimeScale.h"
#include "view/ViewGeometry.h"

namespace {

using namespace velmio;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kRate = 44100;
constexpr int kSeconds = 60;

// A noise floor around -60 dB, a melody line and its harmonics that move
// every quarter second, and a slow chord: levels spread over the whole
// colour scale like a real recording's.
Spectrogram MakeResult(int seconds) {
  {
    Spectrogram r;
    r.m_rowCount = 8 * (120 - 12);
    r.m_frameCount = (seconds * kRate / 256 + 3) / 4 * 4;
    r.m_levelDb.Reset(static_cast<std::size_t>(r.m_rowCount) * r.m_frameCount);
    for (int row = 0; row < r.m_rowCount; ++row) {
      float* line = r.m_levelDb.data() + static_cast<std::size_t>(row) * r.m_frameCount;
      for (int t = 0; t < r.m_frameCount; ++t) {
        const int note = 119 - row / 8;
        const int melody = 60 + (t / 43 * 5) % 17;
        const int chord = 48 + (t / 344) % 12;
        float v = -62.0f + 8.0f * std::sin(0.013f * t + 0.7f * row);
        for (int h : {0, 12, 19, 24}) {
          if (note == melody + h) v = std::max(v, -20.0f - 2.0f * h / 12.0f);
        }
        if (note == chord || note == chord + 4 || note == chord + 7) v = std::max(v, -32.0f);
        line[t] = v;
      }
    }
    return r;
  }
}

const Spectrogram& SharedResult() {
  static Spectrogram s = MakeResult(kSeconds);
  return s;
}

// Six minutes: wide enough to fill the client at 32 frames per column.
constexpr int kLongSeconds = 360;

const Spectrogram& LongResult() {
  static Spectrogram s = MakeResult(kLongSeconds);
  return s;
}

RenderInputs Inputs(int zoomStep = 1, const Spectrogram& result = SharedResult()) {
  RenderInputs in;
  in.viewport.m_clientWidth = kWidth;
  in.viewport.m_clientHeight = kHeight;
  in.viewport.m_scrollX = 3000;
  in.analysis.m_spectrogram = &result;
  in.analysis.m_analysisState = AnalysisState::kTakenOver;
  in.analysis.m_lowNote = 12;
  in.analysis.m_highNote = 120;
  in.playback.m_cursorFrame = 3500;
  in.zoom.scale = TimeScale::FromStep(zoomStep);
  // The same stretch of music at every zoom that shows that much of it.
  in.viewport.m_scrollX = static_cast<int>(in.zoom.scale.ColumnOfFrame(3000));
  in.viewport.m_scrollX = std::min(
      in.viewport.m_scrollX, in.zoom.scale.ColumnCount(result.m_frameCount) + kKeyboardWidth - kWidth);
  in.viewport.m_scrollX = std::max(in.viewport.m_scrollX, 0);
  return in;
}

uint32_t AddSaturated(QRgb pixel, uint32_t color) {
  const int r = std::min(qRed(pixel) + int(color >> 16 & 0xff), 255);
  const int g = std::min(qGreen(pixel) + int(color >> 8 & 0xff), 255);
  const int b = std::min(qBlue(pixel) + int(color & 0xff), 255);
  return qRgb(r, g, b);
}

// The loudest level of the frames of content column c in row r.
float ColumnLevel(const Spectrogram& s, const ViewGeometry& g, int r, int c) {
  const int64_t first = g.scale.FrameOfColumn(c);
  const int64_t end = std::min<int64_t>(first + g.scale.FramesPerColumn(), s.m_frameCount);
  float level = s.LevelAt(r, static_cast<int>(first));
  for (int64_t t = first + 1; t < end; ++t) level = std::max(level, s.LevelAt(r, int(t)));
  return level;
}

// The body one pixel at a time through QImage's own accessors.
void ReferenceBody(QImage& image, const ViewGeometry& g, const RenderInputs& in,
                   const ColorTable& table) {
  const Spectrogram& s = *in.analysis.m_spectrogram;
  const int endLine = std::min(g.sy + g.height, g.rows + kRulerHeight);
  for (int y = g.sy + kRulerHeight; y < endLine; ++y) {
    for (int c = g.sx; c < g.endColumn; ++c) {
      const int index = LevelToColorIndex(ColumnLevel(s, g, y - kRulerHeight, c),
                                          in.display.m_levelTopDb, in.display.m_levelRangeDb);
      if (index == 0) continue;
      const int x = kKeyboardWidth + c - g.sx;
      image.setPixel(x, y - g.sy, AddSaturated(image.pixel(x, y - g.sy), table[index]));
    }
  }
}

// A whole re-render the plain way: a new image each time, the same painters
// for keyboard and grid, the reference body.
QImage ReferenceRender(const RenderInputs& in, const ColorTable& table) {
  const ViewGeometry g = ComputeViewGeometry(in);
  QImage image(g.width, g.height, QImage::Format_RGB32);
  image.fill(0xff000000);
  {
    QPainter painter(&image);
    DrawKeyboard(painter, g);
    DrawNoteBands(painter, g, in);
  }
  ReferenceBody(image, g, in, table);
  QPainter painter(&image);
  painter.setFont(LabelFont());
  DrawOctaveLabels(painter, g, in);
  DrawTimeGrid(painter, g, in, DrawPitchGrid(painter, g, in));
  DrawLoopMarkers(painter, g, in);
  return image;
}

void BM_ReferenceRender(benchmark::State& state) {
  const RenderInputs in = Inputs();
  const ColorTable table = BuildColorTable(0);
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceRender(in, table));
}

void BM_ShippedRender(benchmark::State& state) {
  const RenderInputs in = Inputs();
  SpectrogramRenderer renderer;
  for (auto _ : state) {
    renderer.Cache().m_forceRender = 1;
    benchmark::DoNotOptimize(renderer.RenderIfNeeded(in));
  }
}

// A re-render at zoom step state.range(0), the zoomed-out copies built
// beforehand as the first zoomed paint of an analysis builds them.
void BM_ZoomedRender(benchmark::State& state) {
  const RenderInputs in = Inputs(static_cast<int>(state.range(0)), LongResult());
  SpectrogramRenderer renderer;
  renderer.RenderIfNeeded(in);
  for (auto _ : state) {
    renderer.Cache().m_forceRender = 1;
    benchmark::DoNotOptimize(renderer.RenderIfNeeded(in));
  }
}

void BM_ReferenceZoomedRender(benchmark::State& state) {
  const RenderInputs in = Inputs(static_cast<int>(state.range(0)), LongResult());
  const ColorTable table = BuildColorTable(0);
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceRender(in, table));
}

void ZoomSteps(benchmark::internal::Benchmark* b) {
  for (int step : kZoomSteps) b->Arg(step);
}

void BM_CachedPaint(benchmark::State& state) {
  RenderInputs in = Inputs();
  SpectrogramRenderer renderer;
  QImage window(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    ++in.playback.m_cursorFrame;  // the cursor moves, the picture does not
    QPainter painter(&window);
    benchmark::DoNotOptimize(renderer.DrawView(painter, in));
  }
}

// Remembers each benchmark's real time per iteration, for the ratio line.

}  // namespace

BENCHMARK(BM_ReferenceRender)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ShippedRender)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_CachedPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ReferenceZoomedRender)
    ->Apply(ZoomSteps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(0.5);
BENCHMARK(BM_ZoomedRender)
    ->Apply(ZoomSteps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

int main(int argc, char** argv) {
  int qtArgc = 1;
  char name[] = "render_bench";
  char* qtArgv[] = {name, nullptr};
  QGuiApplication app(qtArgc, qtArgv);  // the label font needs it
  benchmark::Initialize(&argc, argv);
  SharedResult();
  LongResult();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.TimeOf("BM_ReferenceRender");
  const double shipped = reporter.TimeOf("BM_ShippedRender");
  std::printf("\n%dx%d client, %d s at %d Hz, C1-C10, gain 24 range 20, grey scale\n", kWidth,
              kHeight, kSeconds, kRate);
  if (reference > 0 && shipped > 0) {
    std::printf(
        "full re-render: reference %.2f ms, shipped %.2f ms, speed-up %.2fx (target < 8 ms)\n",
        reference, shipped, reference / shipped);
  }
  std::printf("re-render of %d s by zoom step (negative: frames per column; target < 4 ms):\n",
              kLongSeconds);
  for (int step : kZoomSteps) {
    char plainName[64];
    char zoomedName[64];
    std::snprintf(plainName, sizeof plainName, "BM_ReferenceZoomedRender/%d", step);
    std::snprintf(zoomedName, sizeof zoomedName, "BM_ZoomedRender/%d", step);
    const double plain = reporter.TimeOf(plainName);
    const double zoomed = reporter.TimeOf(zoomedName);
    if (plain > 0 && zoomed > 0) {
      std::printf("  zoom %3d: reference %6.2f ms, shipped %5.2f ms, speed-up %5.2fx\n", step,
                  plain, zoomed, plain / zoomed);
    }
  }
  benchmark::Shutdown();
  return 0;
}

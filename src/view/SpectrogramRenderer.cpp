#include "view/SpectrogramRenderer.h"

#include <cstdio>

#include "view/ColorTable.h"
#include "view/GridPainter.h"
#include "view/KeyboardPainter.h"
#include "view/MarkerPainter.h"
#include "view/PaintPrimitives.h"
#include "view/SpectrogramBody.h"
#include "view/ViewGeometry.h"

namespace velmio {
namespace {

constexpr uint32_t kOpaqueBlack = 0xff000000;
constexpr QRgb kWaitingGrey = 0xff808080;
constexpr QRgb kYellow = 0xffffff00;
constexpr QRgb kWhite = 0xffffffff;

// Reuses the image when the size holds: cleared to black it equals a new one.
void PrepareBackBuffer(QImage& image, int width, int height) {
  if (image.width() != width || image.height() != height ||
      image.format() != QImage::Format_RGB32) {
    image = QImage(width, height, QImage::Format_RGB32);
  }
  image.fill(kOpaqueBlack);
}

// Keyboard, ruler and note bands: everything the body's colours add onto.
void DrawUnderBody(QImage& image, const ViewGeometry& g, const RenderInputs& in) {
  QPainter painter(&image);
  DrawKeyboard(painter, g);
  DrawNoteBands(painter, g, in);
}

void DrawOverBody(QImage& image, const ViewGeometry& g, const RenderInputs& in) {
  QPainter painter(&image);
  painter.setFont(LabelFont());
  DrawOctaveLabels(painter, g, in);
  DrawPitchCurve(painter, g, in);
  const QRgb pen = DrawPitchGrid(painter, g, in);
  DrawTimeGrid(painter, g, in, pen);
  DrawLoopMarkers(painter, g, in);
}

}  // namespace

bool RenderCache::Matches(const RenderInputs& in) const {
  const std::array<int32_t, 2> scroll = {in.viewport.m_scrollX, in.viewport.m_scrollY};
  const std::array<int32_t, 4> client = {0, 0, in.viewport.m_clientWidth,
                                         in.viewport.m_clientHeight};
  return m_forceRender == 0 && !m_backBuffer.isNull() && scroll == m_lastRenderScroll &&
         client == m_lastRenderClient && in.zoom.scale == m_lastRenderScale;
}

bool HasDrawableResult(const RenderInputs& in) {
  return in.analysis.m_analysisState == AnalysisState::kTakenOver &&
         in.analysis.m_spectrogram != nullptr && in.analysis.m_spectrogram->m_frameCount > 0;
}

bool SpectrogramRenderer::DrawView(QPainter& window, const RenderInputs& in) {
  if (!HasDrawableResult(in)) {
    DrawWaitingPicture(window, in);
    return false;
  }
  const bool rendered = RenderIfNeeded(in);
  if (!m_cache.m_backBuffer.isNull()) window.drawImage(0, 0, m_cache.m_backBuffer);
  DrawPlayCursor(window, in);
  return rendered;
}

bool SpectrogramRenderer::RenderIfNeeded(const RenderInputs& in) {
  if (!HasDrawableResult(in) || m_cache.Matches(in)) return false;
  Render(in);
  return true;
}

void SpectrogramRenderer::Render(const RenderInputs& given) {
  RenderInputs in = given;
  const int32_t framesPerColumn = in.zoom.scale.FramesPerColumn();
  if (framesPerColumn > 1 && in.zoom.level == nullptr) {
    m_cache.m_pyramid.Prepare(*in.analysis.m_spectrogram, framesPerColumn);
    in.zoom.level = m_cache.m_pyramid.Level(framesPerColumn);
  }
  const ViewGeometry g = ComputeViewGeometry(in);
  m_cache.m_forceRender = 0;
  m_cache.m_lastRenderScroll = {in.viewport.m_scrollX, in.viewport.m_scrollY};
  m_cache.m_lastRenderClient = {0, 0, in.viewport.m_clientWidth, in.viewport.m_clientHeight};
  m_cache.m_lastRenderScale = in.zoom.scale;
  if (g.width <= 0 || g.height <= 0) {
    m_cache.m_backBuffer = QImage();  // a minimised window has nothing to show
    return;
  }
  PrepareBackBuffer(m_cache.m_backBuffer, g.width, g.height);
  QImage& image = m_cache.m_backBuffer;
  DrawUnderBody(image, g, in);
  if (in.display.m_showWaveform) {
    DrawWaveform(image, g, in);
  } else {
    const ColorTable table = in.display.m_colorTable != nullptr
                                 ? *in.display.m_colorTable
                                 : BuildColorTable(in.display.m_colorMap);
    DrawSpectrogramBody(image, g, in, table);
  }
  DrawOverBody(image, g, in);
}

void DrawWaitingPicture(QPainter& window, const RenderInputs& in) {
  const int width = in.viewport.m_clientWidth;
  const int height = in.viewport.m_clientHeight;
  FillBox(window, 0, 0, width, height, kWaitingGrey);
  char text[48];
  int count = 0;
  switch (in.analysis.m_analysisState) {
    case AnalysisState::kTransform:
      std::snprintf(text, sizeof text, " %3d%% completed.", in.analysis.m_analysisProgress);
      count = 16;
      break;
    case AnalysisState::kPitch:
      std::snprintf(text, sizeof text, " Pitch detecting");
      count = 16;
      break;
    case AnalysisState::kFormants:
      std::snprintf(text, sizeof text, " Formant detecting");
      count = 18;
      break;
    default:
      return;
  }
  window.save();
  window.setFont(QFont());  // the window's default face, as before any label
  DrawLabel(window, width / 2 - 70, height / 2 - 20, QString::fromLatin1(text), count, kYellow,
            kWhite);
  window.restore();
}

QImage RenderViewImage(const RenderInputs& in) {
  if (in.viewport.m_clientWidth <= 0 || in.viewport.m_clientHeight <= 0) return QImage();
  QImage image(in.viewport.m_clientWidth, in.viewport.m_clientHeight, QImage::Format_RGB32);
  image.fill(kOpaqueBlack);
  QPainter painter(&image);
  SpectrogramRenderer renderer;
  renderer.DrawView(painter, in);
  return image;
}

}  // namespace velmio

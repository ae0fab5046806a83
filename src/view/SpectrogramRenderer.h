#pragma once
// The paint of the spectrogram view: renders the picture into an off-screen
// image when something changed, and otherwise only copies that image to the
// window and draws the play cursor over it.
//
// The image is Format_RGB32 (0xffRRGGBB words): the raster painter draws into
// it natively and window back-stores share the format, so a paint is a plain
// copy; whole-word pixels let the body add four pixels' colours per 128-bit
// step. Each channel keeps 8 bits, so the colours equal a 24-bit picture's.
#include <QImage>
#include <QPainter>
#include <array>
#include <cstdint>

#include "view/RenderInputs.h"
#include "view/ZoomPyramid.h"

namespace velmio {

// The render cache: the last rendered picture and what it was rendered for.
struct RenderCache {
  QImage m_backBuffer;
  std::array<int32_t, 2> m_lastRenderScroll{};  // sx, sy
  std::array<int32_t, 4> m_lastRenderClient{};  // left, top, right, bottom
  TimeScale m_lastRenderScale;                   // the zoom of the last render
  // Nonzero: the next paint re-renders although the key matches. Set by
  // whatever changes the picture; cleared by every render.
  int32_t m_forceRender = 0;
  // The zoomed-out copies of the result drawn last, built when first drawn.
  ZoomPyramid m_pyramid;

  // Forgets the key and the zoomed-out copies, as a newly installed result requires.
  void ClearKey() {
    m_lastRenderScroll = {};
    m_lastRenderClient = {};
    m_pyramid.Clear();
  }
  // True when the picture for these inputs is already in m_backBuffer.
  bool Matches(const RenderInputs& in) const;
};

class SpectrogramRenderer {
 public:
  // Paints the view onto window, whose (0, 0) is the client area's top-left:
  // the waiting picture until a result is taken over, else the cached picture
  // (rendered first when needed) and the play cursor. Returns true when the
  // picture was rendered anew. UI thread.
  bool DrawView(QPainter& window, const RenderInputs& in);

  // Renders the picture into the back buffer if the cache does not hold it.
  // Needs a result (state 3, frames > 0). Returns true when it rendered.
  bool RenderIfNeeded(const RenderInputs& in);

  RenderCache& Cache() { return m_cache; }
  const RenderCache& Cache() const { return m_cache; }

 private:
  void Render(const RenderInputs& in);

  RenderCache m_cache;
};

// True when the inputs hold a result the view may draw.
bool HasDrawableResult(const RenderInputs& in);

// Grey picture with the progress text of the running analysis. UI thread.
void DrawWaitingPicture(QPainter& window, const RenderInputs& in);

// The whole view as the window would show it, cursor included, in an image
// of the client size (null for an empty client area); for saving as PNG.
// Needs a QGuiApplication for the label font. UI thread.
QImage RenderViewImage(const RenderInputs& in);

}  // namespace velmio

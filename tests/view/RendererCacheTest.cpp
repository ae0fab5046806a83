// When the picture is rendered anew, the cursor over the cached picture, the
// waiting picture and the one-shot image for saving.
#include <gtest/gtest.h>

#include <QFont>

#include "ViewTestSupport.h"

namespace velmio {
namespace {

using test::CountColor;
using test::CountPixels;
using test::Rgb;
using test::ShowsLabel;
using test::SmallView;
using test::SyntheticResult;

constexpr uint32_t kYellow = 0xffff00;
constexpr uint32_t kWaitingGrey = 0x808080;

class RendererCache : public testing::Test {
 protected:
  void SetUp() override { m_window.fill(0xff000000); }
  // One paint onto the window image; true when it rendered.
  bool Paint() {
    QPainter painter(&m_window);
    return m_renderer.DrawView(painter, m_in);
  }
  int YellowInColumn(int x) const { return CountColor(m_window, x, 0, x + 1, 240, kYellow); }

  SyntheticResult m_result{192, 64};
  RenderInputs m_in = SmallView(m_result.s);
  SpectrogramRenderer m_renderer;
  QImage m_window{200, 240, QImage::Format_RGB32};
};

TEST_F(RendererCache, RendersOnlyWhenScrollSizeOrTheForceFlagChange) {
  EXPECT_TRUE(Paint());
  EXPECT_FALSE(Paint()) << "nothing changed";

  m_in.display.m_hoverY = 100;  // the owner forces a render for what the key does not hold
  EXPECT_FALSE(Paint());
  m_renderer.Cache().m_forceRender = 1;
  EXPECT_TRUE(Paint());
  EXPECT_EQ(m_renderer.Cache().m_forceRender, 0) << "cleared by the render";
  EXPECT_FALSE(Paint());

  m_in.viewport.m_scrollX = 5;
  EXPECT_TRUE(Paint());
  m_in.viewport.m_scrollY = 7;
  EXPECT_TRUE(Paint());
  m_in.viewport.m_clientHeight = 200;
  EXPECT_TRUE(Paint());
  EXPECT_EQ(m_renderer.Cache().m_backBuffer.height(), 200);
  EXPECT_FALSE(Paint());
  m_renderer.Cache().ClearKey();  // a new result was installed
  EXPECT_TRUE(Paint());
}

TEST_F(RendererCache, CursorIsDrawnOverTheCopyAndMovesWithoutARender) {
  m_in.playback.m_cursorFrame = 30;
  EXPECT_TRUE(Paint());
  EXPECT_EQ(YellowInColumn(70), 208 - 16) << "from the ruler to the picture's bottom";
  EXPECT_EQ(CountColor(m_renderer.Cache().m_backBuffer, 0, 0, 200, 240, kYellow), 0)
      << "the cached picture has no cursor";

  m_in.playback.m_cursorFrame = 31;
  EXPECT_FALSE(Paint());
  EXPECT_EQ(YellowInColumn(70), 0) << "the copy restores the old column";
  EXPECT_EQ(YellowInColumn(71), 208 - 16);

  m_in.viewport.m_scrollX = 40;  // cursor column 31 - 40 + 40 = 31, over the keyboard: not clipped
  Paint();
  EXPECT_EQ(YellowInColumn(31), 208 - 16);
}

TEST_F(RendererCache, WaitingPictureShowsTheStateOfTheAnalysis) {
  struct Case {
    int state;
    int progress;
    const char* text;  // null: no text
  };
  const Case cases[] = {
      {1, 7, "   7% completed."},
      {1, 100, " 100% completed."},
      {4, 0, " Pitch detecting"},
      {5, 0, " Formant detecting"},
      {0, 0, nullptr},
      {2, 0, nullptr},
  };
  for (const Case& c : cases) {
    m_in.analysis.m_analysisState = static_cast<AnalysisState>(c.state);
    m_in.analysis.m_analysisProgress = c.progress;
    EXPECT_FALSE(Paint());
    EXPECT_EQ(Rgb(m_window, 0, 0), kWaitingGrey);
    EXPECT_EQ(Rgb(m_window, 199, 239), kWaitingGrey);
    if (c.text == nullptr) {
      EXPECT_EQ(CountColor(m_window, 0, 0, 200, 240, kWaitingGrey), 200 * 240) << c.state;
    } else {
      EXPECT_TRUE(ShowsLabel(m_window, 100 - 70, 120 - 20, c.text, QFont(), 200, 0xffffff00))
          << c.text;
    }
  }
  m_in.analysis.m_analysisState = AnalysisState::kTakenOver;
  m_result.s.m_frameCount = 0;  // a result too short for one frame
  EXPECT_FALSE(Paint());
  EXPECT_EQ(CountColor(m_window, 0, 0, 200, 240, kWaitingGrey), 200 * 240);
  m_result.s.m_frameCount = 64;
  EXPECT_TRUE(Paint()) << "the result is drawn once taken over";
}

TEST(RenderViewImage, IsTheWindowPictureWithTheCursor) {
  SyntheticResult result(192, 64);
  result.SetNote(60, 72, 10, -10.0f);
  RenderInputs in = SmallView(result.s);
  in.playback.m_cursorFrame = 20;
  const QImage image = RenderViewImage(in);
  ASSERT_EQ(image.size(), QSize(200, 240));
  EXPECT_EQ(CountColor(image, 60, 0, 61, 240, kYellow), 208 - 16);
  EXPECT_EQ(Rgb(image, 50, 104), 0xffffffu);
  EXPECT_EQ(image.pixel(50, 104), test::RenderPicture(in).pixel(50, 104));
  in.viewport.m_clientWidth = 0;
  EXPECT_TRUE(RenderViewImage(in).isNull());
  in.viewport.m_clientWidth = 200;
  in.analysis.m_analysisState = AnalysisState::kTransform;
  EXPECT_EQ(Rgb(RenderViewImage(in), 0, 0), kWaitingGrey);
}

}  // namespace
}  // namespace velmio

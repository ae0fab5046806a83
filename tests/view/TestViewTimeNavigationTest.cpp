// Zooming in time around a point, the clicks that turn columns into frames
// at every zoom, and the keys and wheel that move in time.
#include <gtest/gtest.h>

#include <functional>

#include "ViewFlowSupport.h"

namespace velmio::test {
namespace {

// Eight seconds at 22.05 kHz, hop 128: 1380 frames, a content 1420 wide at
// one frame per column, 360 columns of body in a 400 x 300 client.
class TimeNavigationTest : public ViewFlowTest {
 protected:
  void Load() {
    host.SetClientSize({400, 300});
    OpenAndFinish(WriteTone("eight seconds.wav", 1, 22050, 16, 8.0));
  }
  int32_t ScrollX() const { return host.GetScrollPosition().x; }
  int32_t Frames() const { return view->CurrentAnalysis().Result().m_frameCount; }
};

TEST_F(TimeNavigationTest, ZoomKeepsTheTimeUnderTheMouse) {
  Load();
  ASSERT_EQ(Frames(), 1380);
  view->OnHScroll(300);
  // Client x 140 shows frame 400 at one frame per column.
  view->SetZoomStep(2, 140);
  EXPECT_EQ(view->ZoomStep(), 2);
  EXPECT_EQ(host.GetScrollSizes().contentWidth, 2 * 1380 + 40);
  EXPECT_EQ(ScrollX(), 700) << "frame 400 starts at column 800, still at client x 140";

  view->ZoomWheel(-2, 140);  // 2 -> 1 -> -2
  EXPECT_EQ(view->ZoomStep(), -2);
  EXPECT_EQ(host.GetScrollSizes().contentWidth, 690 + 40);
  EXPECT_EQ(ScrollX(), 100);

  view->ZoomWheel(-10, 140);
  EXPECT_EQ(view->ZoomStep(), -32) << "the wheel stops at the last step";
  EXPECT_EQ(ScrollX(), 0) << "the whole recording fits";

  const int renders = host.invalidations;
  view->SetZoomStep(3, 140);
  EXPECT_EQ(view->ZoomStep(), -32) << "not a zoom step";
  EXPECT_EQ(host.invalidations, renders);

  view->OnZoomReset();
  EXPECT_EQ(view->ZoomStep(), 1);
  EXPECT_EQ(host.GetScrollSizes().contentWidth, 1380 + 40);
}

TEST_F(TimeNavigationTest, ClicksFindTheFrameOfTheirColumnAtEveryZoom) {
  Load();
  struct Case {
    int step;
    int32_t scrollX;
    int32_t x;
    int32_t frame;  // of the double click and the loop points
  };
  const Case cases[] = {
      {1, 0, 140, 100}, {-2, 0, 140, 200}, {-4, 0, 45, 20}, {2, 100, 141, 100}, {4, 0, 47, 1},
  };
  ViewProbe::PlaybackOf(*view).ToggleLoop();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    view->SetZoomStep(c.step);
    view->OnHScroll(c.scrollX);
    ASSERT_EQ(ScrollX(), c.scrollX);
    view->OnLButtonDblClk(c.x, 300);
    EXPECT_EQ(view->Playback().CursorFrame(), c.frame);
    EXPECT_EQ(view->Playback().PlayStartByte(), c.frame * 128 * 2);
    view->OnSetLoopStart(c.x);
    view->OnSetLoopEnd(c.x + 20);
    EXPECT_EQ(view->Playback().LoopStartFrame(), c.frame);
    EXPECT_EQ(view->Playback().LoopEndFrame(),
              TimeScale::FromStep(c.step).FrameOfColumn(c.x + 20 - 40 + c.scrollX));
  }
}

TEST_F(TimeNavigationTest, KeysAndTimeWheelMoveThroughTheRecording) {
  Load();
  struct Case {
    const char* name;
    int step;
    int32_t from;
    std::function<void(CTestView&)> move;
    int32_t to;
  };
  const Case cases[] = {
      {"End", 1, 0, [](CTestView& v) { v.ScrollToEnd(); }, 1420 - 400},
      {"Home", 1, 500, [](CTestView& v) { v.ScrollToStart(); }, 0},
      {"Right: one second", 1, 0, [](CTestView& v) { v.ScrollSeconds(1); }, 172},
      {"Left: one second", 1, 300, [](CTestView& v) { v.ScrollSeconds(-1); }, 128},
      {"Left at the start", 1, 100, [](CTestView& v) { v.ScrollSeconds(-1); }, 0},
      {"one second zoomed in", 2, 0, [](CTestView& v) { v.ScrollSeconds(1); }, 344},
      {"one second zoomed out", -4, 0, [](CTestView& v) { v.ScrollSeconds(1); }, 0},
      {"Shift+Right: a page", 4, 0, [](CTestView& v) { v.ScrollPages(1); }, 360},
      {"Shift+Left: a page", 4, 2000, [](CTestView& v) { v.ScrollPages(-1); }, 1640},
      {"Shift+wheel down", 1, 0, [](CTestView& v) { v.ScrollTimeWheel(2); }, 72},
      {"Shift+wheel up", 1, 400, [](CTestView& v) { v.ScrollTimeWheel(-1); }, 364},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view->SetZoomStep(c.step);
    view->OnHScroll(c.from);
    c.move(*view);
    EXPECT_EQ(ScrollX(), c.to);
  }
}

TEST_F(TimeNavigationTest, AResultOpensAtTheMiddleOfItsPitchRangeAndTheZoomKept) {
  view->SetZoomStep(-4);  // as remembered from an earlier session
  view->SetOpenAtMiddleOfRange(true);
  Load();
  // C1 ... C10: 864 rows and the ruler in a 300-high client.
  EXPECT_EQ(host.GetScrollPosition().y, (864 + 16 - 300) / 2);
  EXPECT_EQ(host.GetScrollSizes().contentWidth, 345 + 40);
  EXPECT_EQ(view->ZoomStep(), -4);

  view->SetOpenAtMiddleOfRange(false);
  Load();
  EXPECT_EQ(host.GetScrollPosition().y, 0) << "the top, as a batch run shows it";
}

}  // namespace
}  // namespace velmio::test

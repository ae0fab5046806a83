// The zoom in time: the max pyramid, the body at frames per column and
// columns per frame, and the overlays that must stay on the frames they mark.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "ViewTestSupport.h"
#include "view/ColorTable.h"
#include "view/TimeScale.h"
#include "view/ZoomPyramid.h"

namespace velmio {
namespace {

using test::CountColor;
using test::RenderPicture;
using test::Rgb;
using test::SmallView;
using test::SyntheticResult;

constexpr uint32_t kYellow = 0xffff00;
constexpr uint32_t kRed = 0xff0000;
constexpr uint32_t kBlue = 0x0000ff;
constexpr uint32_t kGreen = 0x00ff00;

TEST(TimeScale, MapsFramesAndColumnsBothWays) {
  struct Case {
    int step;
    int64_t frame, column;  // frame -> column of its start
    int64_t clickColumn, frameAtClick;
    int32_t frames, columns;
  };
  const Case cases[] = {
      {1, 37, 37, 37, 37, 101, 101},   {-1, 37, 37, 37, 37, 101, 101},
      {-4, 37, 9, 9, 36, 101, 26},     {-32, 31, 0, 3, 96, 101, 4},
      {-2, -3, -2, -1, -2, 1, 1},      {2, 37, 74, 75, 37, 101, 202},
      {4, 37, 148, 151, 37, 101, 404}, {7, 37, 37, 37, 37, 101, 101},  // unknown step: 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    const TimeScale scale = TimeScale::FromStep(c.step);
    EXPECT_EQ(scale.ColumnOfFrame(c.frame), c.column);
    EXPECT_EQ(scale.FrameOfColumn(c.clickColumn), c.frameAtClick);
    EXPECT_EQ(scale.ColumnCount(c.frames), c.columns);
  }
  EXPECT_EQ(NextZoomStep(1, -1), -2);
  EXPECT_EQ(NextZoomStep(-32, -1), -32) << "stays at the end";
  EXPECT_EQ(NextZoomStep(4, 1), 4);
  EXPECT_EQ(NextZoomStep(-2, 1), 1);
}

// Every level against the loudest of its frames, over an odd frame count so
// that the last column of each level holds fewer frames.
TEST(ZoomPyramid, EachCellIsTheLoudestOfItsFrames) {
  SyntheticResult result(6, 101);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> level(-90.0f, 0.0f);
  for (float& v : result.s.m_levelDb) v = level(random);
  result.s.m_formantMask.Reset(6 * 101);
  result.s.m_formantMask[2 * 101 + 100] = 1;  // the last frame of row 2
  ZoomPyramid pyramid;
  pyramid.Prepare(result.s, 32);
  for (int fpc = 2; fpc <= 32; fpc *= 2) {
    SCOPED_TRACE(fpc);
    const PyramidLevel* l = pyramid.Level(fpc);
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(l->columns, (101 + fpc - 1) / fpc);
    for (int r = 0; r < 6; ++r) {
      for (int c = 0; c < l->columns; ++c) {
        float loudest = -1000.0f;
        for (int t = c * fpc; t < std::min((c + 1) * fpc, 101); ++t)
          loudest = std::max(loudest, result.s.LevelAt(r, t));
        ASSERT_EQ(l->levels[r * l->columns + c], loudest) << "row " << r << " column " << c;
        const bool masked = r == 2 && c == l->columns - 1;
        ASSERT_EQ(l->mask[r * l->columns + c], masked ? 1 : 0);
      }
    }
  }
  EXPECT_EQ(pyramid.Level(1), nullptr) << "one frame per column draws the matrix itself";
}

TEST(ZoomPyramid, ANewMatrixStartsTheLevelsOver) {
  SyntheticResult first(8, 40);
  SyntheticResult second(8, 60);
  ZoomPyramid pyramid;
  pyramid.Prepare(first.s, 4);
  EXPECT_EQ(pyramid.Level(8), nullptr) << "built only as far as asked";
  pyramid.Prepare(second.s, 4);
  ASSERT_NE(pyramid.Level(4), nullptr);
  EXPECT_EQ(pyramid.Level(4)->columns, 15);
}

class RendererZoom : public testing::Test {
 protected:
  // Levels spread over the colour scale, different in every cell.
  void FillRamp() {
    for (int r = 0; r < 192; ++r) {
      for (int t = 0; t < kFrames; ++t)
        m_result.Set(r, t, -50.0f + static_cast<float>((r * 7 + t * 13) % 31));
    }
  }
  uint32_t ColorOf(float level) const {
    const int index = LevelToColorIndex(level, 24, 20);
    return index == 0 ? 0 : m_table[index] & 0xffffff;
  }

  static constexpr int kFrames = 400;
  SyntheticResult m_result{192, kFrames};
  RenderInputs m_in = SmallView(m_result.s);
  ColorTable m_table = BuildColorTable(0);
};

TEST_F(RendererZoom, ZoomedOutColumnsShowTheLoudestOfTheirFrames) {
  FillRamp();
  for (int step : {-2, -4, -32}) {
    SCOPED_TRACE(step);
    const int fpc = -step;
    m_in.zoom.scale = TimeScale::FromStep(step);
    m_in.viewport.m_scrollX = step == -32 ? 0 : 3;
    const QImage image = RenderPicture(m_in);
    const int columns = (kFrames + fpc - 1) / fpc;
    int compared = 0;
    // The octave labels reach a few columns into the body.
    for (int x = 44; x < 200; ++x) {
      const int c = x - 40 + m_in.viewport.m_scrollX;
      for (int y = 17; y < 208; y += 5) {
        // Grid lines lie over the body (green never comes from the grey scale).
        if (Rgb(image, x, y) == kGreen) continue;
        if (c >= columns) {
          ASSERT_EQ(Rgb(image, x, y), 0u) << "beyond the last frame";
          continue;
        }
        float loudest = -1000.0f;
        for (int t = c * fpc; t < std::min((c + 1) * fpc, kFrames); ++t)
          loudest = std::max(loudest, m_result.s.LevelAt(y - 16, t));
        ASSERT_EQ(Rgb(image, x, y), ColorOf(loudest)) << "x " << x << " y " << y;
        ++compared;
      }
    }
    EXPECT_GT(compared, 0);
  }
}

TEST_F(RendererZoom, ZoomedInFramesFillSeveralColumns) {
  FillRamp();
  m_in.viewport.m_scrollX = 5;
  for (int step : {2, 4}) {
    SCOPED_TRACE(step);
    m_in.zoom.scale = TimeScale::FromStep(step);
    const QImage image = RenderPicture(m_in);
    for (int x = 44; x < 200; ++x) {
      const int t = (x - 40 + 5) / step;
      for (int y = 17; y < 100; y += 7)
        ASSERT_EQ(Rgb(image, x, y), ColorOf(m_result.s.LevelAt(y - 16, t))) << x << "," << y;
    }
  }
}

// One frame per column is the picture as it always was: the explicit step 1
// and the default inputs render the same bytes.
TEST_F(RendererZoom, OneFramePerColumnIsTheUnzoomedPicture) {
  FillRamp();
  m_in.viewport.m_scrollX = 7;
  m_in.playback.m_loopEnabled = true;
  m_in.playback.m_loopStartFrame = 20;
  m_in.playback.m_loopEndFrame = 90;
  const QImage plain = RenderPicture(m_in);
  m_in.zoom.scale = TimeScale::FromStep(-1);
  EXPECT_EQ(RenderPicture(m_in), plain);
}

TEST_F(RendererZoom, CursorAndLoopMarkersStayOnTheirFrames) {
  struct Case {
    int step;
    int scrollX;
    int frame;  // cursor, loop start (frame) and loop end (frame + 40)
    int cursorX, startX, endX;
  };
  const Case cases[] = {
      {1, 0, 60, 100, 100, 140},   {-4, 0, 60, 55, 55, 65},  {-4, 10, 61, 45, 45, 55},
      {2, 20, 60, 140, 140, 220},  {4, 200, 60, 80, 80, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    m_in.zoom.scale = TimeScale::FromStep(c.step);
    m_in.viewport.m_scrollX = c.scrollX;
    m_in.viewport.m_clientWidth = 260;
    m_in.playback = {true, c.frame, c.frame + 40, c.frame};
    SpectrogramRenderer renderer;
    QImage window(260, 240, QImage::Format_RGB32);
    QPainter painter(&window);
    renderer.DrawView(painter, m_in);
    painter.end();
    const QImage& picture = renderer.Cache().m_backBuffer;
    EXPECT_EQ(Rgb(window, c.cursorX, 100), kYellow);
    EXPECT_EQ(Rgb(picture, c.startX, 100), kRed);
    EXPECT_EQ(Rgb(picture, c.endX, 100), kBlue);
    EXPECT_EQ(CountColor(picture, 40, 17, 260, 18, kRed), 1);
  }
}

// At 44.1 kHz and hop 256 a second is 172.27 frames: zoomed in the line of
// second 1 moves with its frame; zoomed out to 32 frames per column the
// seconds come every 5.4 columns, so only every tenth is drawn.
TEST_F(RendererZoom, SecondsGridFollowsTheZoomAndThinsOut) {
  struct Case {
    int step;
    std::vector<int> lines;  // client x of the green seconds lines in the ruler
  };
  const Case cases[] = {
      {1, {40}},  // second 1 at x = 212, right of a 200-wide window
      {2, {40}},  // second 1 at column 344: outside a 200-wide window
      {-2, {40, 126}},
      {-32, {40, 93, 147}},  // seconds 0, 10, 20
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    SyntheticResult longer(192, 8000);
    RenderInputs in = SmallView(longer.s);
    in.zoom.scale = TimeScale::FromStep(c.step);
    const QImage image = RenderPicture(in);
    std::vector<int> lines;
    for (int x = 40; x < 200; ++x) {
      if (Rgb(image, x, 150) == kGreen && Rgb(image, x, 120) == kGreen) lines.push_back(x);
    }
    EXPECT_EQ(lines, c.lines);
  }
}

TEST_F(RendererZoom, PitchCurveFollowsTheZoom) {
  std::vector<int16_t> track(kFrames, 0);  // 0: outside the picture
  for (int t = 100; t < 200; ++t) track[t] = 80;
  m_in.pitch = {true, track.data(), kFrames};
  struct Case {
    int step;
    int scrollX;
    int firstX, lastX;  // red pixels on line 80, give or take the pen's round cap
  };
  const Case cases[] = {{1, 0, 140, 199}, {-4, 0, 65, 89}, {2, 100, 140, 199}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    m_in.zoom.scale = TimeScale::FromStep(c.step);
    m_in.viewport.m_scrollX = c.scrollX;
    const QImage image = RenderPicture(m_in);
    int first = -1;
    int last = -1;
    for (int x = 40; x < 200; ++x) {
      if (Rgb(image, x, 80) != kRed) continue;
      if (first < 0) first = x;
      last = x;
    }
    EXPECT_NEAR(first, c.firstX, 1);
    EXPECT_NEAR(last, c.lastX, 1);
  }
}

}  // namespace
}  // namespace velmio

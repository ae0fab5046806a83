// Keyboard, octave labels, pitch and time grids, loop markers and the pitch
// curve over the picture.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <vector>

#include "ViewTestSupport.h"
#include "view/PaintPrimitives.h"

namespace velmio {
namespace {

using test::CountColor;
using test::CountPixels;
using test::RenderPicture;
using test::Rgb;
using test::ShowsLabel;
using test::SmallView;
using test::SyntheticResult;

constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0xff0000;
constexpr uint32_t kGreen = 0x00ff00;
constexpr uint32_t kDarkGreen = 0x008000;

// A window of 120 frames scrolled by 10 holds no whole second, so neither
// seconds lines nor their labels cover the keyboard's own lines.
void WithoutTimeGrid(RenderInputs& in) {
  in.viewport.m_clientWidth = 160;
  in.viewport.m_scrollX = 10;
}

class RendererDecor : public testing::Test {
 protected:
  SyntheticResult m_result{192, 64};
  RenderInputs m_in = SmallView(m_result.s);
};

TEST_F(RendererDecor, KeyboardHasItsWhiteAndBlackKeysAndSeparator) {
  WithoutTimeGrid(m_in);
  for (int row = 0; row < 192; ++row) m_result.Set(row, 10, -10.0f);  // frame sx
  const QImage image = RenderPicture(m_in);
  for (int k = 0; k <= 14; ++k) {
    EXPECT_EQ(Rgb(image, 30, 96 * k / 7 + 16), kBlack) << "white key line " << k;
  }
  EXPECT_EQ(Rgb(image, 30, 20), kWhite);
  EXPECT_EQ(Rgb(image, 10, 24), kBlack) << "A# spans rows 24 ... 33";
  EXPECT_EQ(Rgb(image, 21, 33), kBlack);
  EXPECT_EQ(Rgb(image, 22, 28), kWhite) << "black keys are 22 wide";
  EXPECT_EQ(Rgb(image, 10, 23), kWhite);
  EXPECT_EQ(Rgb(image, 10, 34), kWhite);
  EXPECT_EQ(Rgb(image, 10, 64), kWhite) << "no black key between F and E";
  // Column 40 shows frame sx; its colours add onto the separator line.
  EXPECT_EQ(Rgb(image, 40, 90), kWhite);
  EXPECT_EQ(Rgb(image, 40, 150), kWhite);
  EXPECT_EQ(Rgb(image, 41, 150), kBlack);
  EXPECT_EQ(Rgb(image, 39, 230), kWhite) << "strip is white below the keys";
  EXPECT_EQ(CountColor(image, 40, 0, 160, 16, kWhite), 120 * 16) << "empty ruler";

  m_in.viewport.m_scrollY = 50;
  const QImage scrolled = RenderPicture(m_in);
  EXPECT_EQ(Rgb(scrolled, 30, 16), kBlack) << "keys above the ruler clamp to its edge";
  EXPECT_EQ(Rgb(scrolled, 30, 34), kBlack) << "white key line 5";
  EXPECT_EQ(Rgb(scrolled, 10, 29), kBlack) << "black key 4 spans 29 ... 38";
  EXPECT_EQ(Rgb(scrolled, 10, 28), kWhite);

  m_in.viewport.m_scrollY = 14;  // black key 0 would span 10 ... 19
  EXPECT_EQ(Rgb(RenderPicture(m_in), 10, 17), kWhite)
      << "a key starting above the ruler is skipped";
}

TEST_F(RendererDecor, HoveredKeyTurnsRed) {
  struct Case {
    int semitone;  // from the top of the picture
    int x, y;      // a pixel of its key
  };
  // B (white key 0, rows 16 ... 28), A# (black key 0, rows 24 ... 33), C of
  // the lower octave (white key 13, rows 194 ... 207).
  for (const Case c : {Case{0, 30, 20}, Case{1, 10, 28}, Case{23, 10, 205}}) {
    m_in.display.m_hoverY = 16 + 8 * c.semitone;
    const QImage image = RenderPicture(m_in);
    EXPECT_EQ(Rgb(image, c.x, c.y), kRed) << c.semitone;
    EXPECT_EQ(CountColor(image, 0, 0, 40, 240, kRed) > 0, true);
    EXPECT_EQ(CountColor(image, 0, 0, 40, 240, kRed),
              CountColor(image, 0, std::max(16, c.y - 20), 40, c.y + 20, kRed))
        << "no other key is red";
  }
  m_in.display.m_hoverY = 10;  // in the ruler: no hovered note
  EXPECT_EQ(CountColor(RenderPicture(m_in), 0, 0, 200, 240, kRed), 0);
}

TEST_F(RendererDecor, OctaveLabelsSitOnTheCOfEachOctave) {
  WithoutTimeGrid(m_in);
  const QImage image = RenderPicture(m_in);
  EXPECT_TRUE(ShowsLabel(image, 24, 100, "  5"));
  EXPECT_TRUE(ShowsLabel(image, 24, 196, "  4"));
  EXPECT_EQ(Rgb(image, 30, 112), kBlack) << "the key line under the label stays";
  m_in.viewport.m_scrollY = 90;  // the first label would start above the ruler
  const QImage scrolled = RenderPicture(m_in);
  EXPECT_TRUE(ShowsLabel(scrolled, 24, 106, "  4"));
  EXPECT_EQ(CountPixels(scrolled, 24, 0, 44, 16, [](uint32_t p) { return p != kWhite; }), 0);
}

TEST_F(RendererDecor, FullRangeHasNineOctaveLinesAndLabels) {
  SyntheticResult tall(864, 8);
  RenderInputs in = SmallView(tall.s);
  in.analysis.m_lowNote = 12;
  in.analysis.m_highNote = 120;
  in.viewport.m_clientHeight = 900;
  WithoutTimeGrid(in);
  const QImage image = RenderPicture(in);
  EXPECT_EQ(Rgb(image, 30, 16), kBlack) << "top key line at the ruler's edge";
  for (int k = 1; k <= 9; ++k) {
    EXPECT_EQ(Rgb(image, 100, 96 * k + 16), kGreen) << k;
    EXPECT_TRUE(ShowsLabel(image, 24, 96 * (k - 1) + 100, QString(" %1").arg(10 - k, 2)))
        << "octave " << 10 - k;
  }
  EXPECT_EQ(CountColor(image, 100, 0, 101, 900, kGreen), 9);
}

TEST_F(RendererDecor, FrequencyLinesFollowTheFixedTableWithThreeLabels) {
  WithoutTimeGrid(m_in);
  m_in.display.m_frequencyGrid = 1;
  const QImage image = RenderPicture(m_in);
  // 300 Hz ... 1 kHz lie in C4 ... B5: y = trunc((71.5 - v) * 8 + 15).
  EXPECT_EQ(Rgb(image, 100, 17), kGreen) << "1 kHz";
  EXPECT_EQ(Rgb(image, 100, 144), kDarkGreen) << "400 Hz";
  EXPECT_EQ(Rgb(image, 100, 184), kDarkGreen) << "300 Hz";
  EXPECT_EQ(CountColor(image, 100, 0, 101, 240, kGreen), 1);
  EXPECT_EQ(CountColor(image, 100, 0, 101, 240, kDarkGreen), 7);
  EXPECT_NE(Rgb(image, 100, 112), kGreen) << "no octave lines";
  EXPECT_TRUE(ShowsLabel(image, 22, 17, " 1kHz", LabelFont(), 40));
}

TEST_F(RendererDecor, SecondsGridTakesThePenOfTheLastFrequencyLine) {
  m_in.viewport.m_clientWidth = 400;  // second 1 at frame 172
  m_in.display.m_frequencyGrid = 1;
  EXPECT_EQ(Rgb(RenderPicture(m_in), 212, 150), kGreen) << "last line 1 kHz";
  m_in.viewport.m_scrollY = 2;  // the 1 kHz line moves above the ruler and is skipped
  EXPECT_EQ(Rgb(RenderPicture(m_in), 212, 150), kDarkGreen) << "last line 900 Hz";
}

// Column of the first vertical grid line right of x0 in row y.
int FindGridLine(const QImage& image, int x0, int y) {
  for (int x = x0; x < image.width(); ++x) {
    const uint32_t p = Rgb(image, x, y);
    if (p == kGreen || p == kDarkGreen) return x;
  }
  return -1;
}

TEST_F(RendererDecor, SecondsGridHasALabelledLineEverySecond) {
  m_in.viewport.m_clientWidth = 400;
  const QImage image = RenderPicture(m_in);
  EXPECT_EQ(FindGridLine(image, 41, 150), 212) << "1 s = 172.27 frames";
  EXPECT_EQ(FindGridLine(image, 213, 150), 384);
  EXPECT_EQ(Rgb(image, 212, 16), kGreen);
  EXPECT_EQ(Rgb(image, 212, 207), kGreen);
  EXPECT_EQ(Rgb(image, 212, 210), kBlack) << "ends at the picture's bottom";
  EXPECT_TRUE(ShowsLabel(image, 200, 2, " 0:01"));
  EXPECT_TRUE(ShowsLabel(image, 372, 2, " 0:02"));
  EXPECT_TRUE(ShowsLabel(image, 2, 2, "分:秒"));

  m_in.viewport.m_scrollX = 100;
  EXPECT_EQ(FindGridLine(RenderPicture(m_in), 41, 150), 112);

  // Far right of the data the grid goes on; from minute 100 the label is cut.
  m_in.viewport.m_scrollX = 6000 * 44100 / 256 - 100;
  const QImage late = RenderPicture(m_in);
  const int x = FindGridLine(late, 41, 150);
  ASSERT_GT(x, 100);
  EXPECT_TRUE(ShowsLabel(late, x - 12, 2, "100:0"));
}

TEST_F(RendererDecor, BarGridColoursBarsAndLabelsThemWithTheirNumber) {
  m_in.viewport.m_clientWidth = 400;
  m_in.display.m_barDisplay = 1;
  m_in.tempo.tempo = 120;
  m_in.tempo.beatsPerBar = 4;
  const QImage image = RenderPicture(m_in);
  // A beat every 86.13 frames.
  const int expected[] = {40, 126, 212, 298, 384};
  int x = 40;
  for (int n = 0; n < 5; ++n) {
    x = FindGridLine(image, x, 150);
    EXPECT_EQ(x, expected[n]) << n;
    EXPECT_EQ(Rgb(image, x, 150), n % 4 == 0 ? kGreen : kDarkGreen) << n;
    ++x;
  }
  EXPECT_TRUE(ShowsLabel(image, 28, 2, "   0"));
  EXPECT_TRUE(ShowsLabel(image, 372, 2, "   1"));
  EXPECT_TRUE(ShowsLabel(image, 2, 2, "小節"));
  EXPECT_EQ(CountPixels(image, 100, 0, 360, 16, [](uint32_t p) { return p != kWhite; }), 0)
      << "beats inside a bar carry no label";

  m_in.tempo.startMs = 250;  // beat 0 at frame 43
  const QImage shifted = RenderPicture(m_in);
  EXPECT_EQ(FindGridLine(shifted, 41, 150), 83);
  EXPECT_EQ(Rgb(shifted, 83, 150), kGreen);
  EXPECT_EQ(FindGridLine(shifted, 84, 150), 169);
  EXPECT_EQ(Rgb(shifted, 169, 150), kDarkGreen);
  EXPECT_TRUE(ShowsLabel(shifted, 71, 2, "   0"));
}

TEST_F(RendererDecor, LoopMarkersAppearOnlyInsideTheBody) {
  m_in.playback.m_loopEnabled = 1;
  m_in.playback.m_loopStartFrame = 10;
  m_in.playback.m_loopEndFrame = 20;
  const QImage image = RenderPicture(m_in);
  EXPECT_EQ(CountColor(image, 50, 0, 51, 240, kRed), 208 - 16);
  EXPECT_EQ(CountColor(image, 60, 0, 61, 240, 0x0000ff), 208 - 16);
  m_in.playback.m_loopStartFrame = 0;  // on the separator: not drawn
  m_in.playback.m_loopEndFrame = 160;  // at the right edge: not drawn
  EXPECT_EQ(CountPixels(RenderPicture(m_in), 0, 0, 200, 240,
                        [](uint32_t p) { return p == kRed || p == 0x0000ff; }),
            0);
  m_in.playback.m_loopEnabled = 0;
  m_in.playback.m_loopStartFrame = 10;
  EXPECT_EQ(CountColor(RenderPicture(m_in), 50, 0, 51, 240, kRed), 0);
}

TEST_F(RendererDecor, PitchCurveBreaksAtJumpsAndFollowsTheColourMap) {
  std::vector<int16_t> track(64, 100);
  for (int t = 20; t < 64; ++t) track[t] = 100 + 47;  // joined
  for (int t = 40; t < 64; ++t) track[t] = 147 + 48;  // six semitones: broken
  m_in.pitch.m_showPitch = 1;
  m_in.pitch.m_pitchTrack = track.data();
  m_in.pitch.m_pitchTrackLength = 64;
  const QImage image = RenderPicture(m_in);
  auto red = [](uint32_t p) { return p == kRed; };
  EXPECT_GT(CountPixels(image, 50, 98, 54, 103, red), 0);
  EXPECT_GT(CountPixels(image, 58, 110, 62, 140, red), 0) << "a jump of 47 rows is joined";
  EXPECT_EQ(CountPixels(image, 78, 152, 82, 190, red), 0) << "a jump of 48 rows is not";
  EXPECT_GT(CountPixels(image, 90, 193, 94, 198, red), 0);

  m_in.display.m_colorMap = 1;
  const QImage coloured = RenderPicture(m_in);
  EXPECT_EQ(CountPixels(coloured, 40, 16, 200, 240, red), 0);
  EXPECT_GT(CountColor(coloured, 50, 98, 54, 103, kWhite), 0);

  m_in.pitch.m_pitchTrack = nullptr;
  EXPECT_EQ(CountPixels(RenderPicture(m_in), 40, 16, 200, 240, red), 0);
}

}  // namespace
}  // namespace velmio

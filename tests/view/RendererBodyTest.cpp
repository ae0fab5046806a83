// The body of the picture: where levels land, their colours, the bands they
// add onto, the formant overlay and the waveform.
#include <gtest/gtest.h>

#include <vector>

#include "ViewTestSupport.h"
#include "view/ColorTable.h"

namespace velmio {
namespace {

using test::CountColor;
using test::RenderPicture;
using test::Rgb;
using test::SmallView;
using test::SyntheticResult;

constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kBlack = 0x000000;

// Picture y of the top row of a note in SmallView (top note B5 = 71).
int NoteTop(int note, int sy = 0) {
  return 16 + 8 * (71 - note) - sy;
}

TEST(RendererBody, NoteLandsOnItsEightRowsAtItsFrameWhateverTheScroll) {
  SyntheticResult r(192, 64);
  r.SetNote(60, 72, 10, -10.0f);  // C4, frame 10
  r.SetNote(71, 72, 30, -10.0f);  // top note
  struct Case {
    int sx, sy;
  };
  for (const Case c : {Case{0, 0}, Case{3, 20}, Case{20, 0}}) {
    RenderInputs in = SmallView(r.s);
    in.viewport.m_scrollX = c.sx;
    in.viewport.m_scrollY = c.sy;
    const QImage image = RenderPicture(in);
    SCOPED_TRACE(testing::Message() << "sx " << c.sx << " sy " << c.sy);
    const int x = 40 + 10 - c.sx;
    if (x >= 40) {
      const int top = NoteTop(60, c.sy);
      EXPECT_EQ(CountColor(image, x, top, x + 1, top + 8, kWhite), 8);
      EXPECT_EQ(Rgb(image, x, top - 1), kBlack);
      EXPECT_EQ(Rgb(image, x - 1, top), kBlack);
      EXPECT_EQ(Rgb(image, x + 1, top), kBlack);
    }
    const int topX = 40 + 30 - c.sx;
    const int topY = NoteTop(71, c.sy);
    const int topRowsShown = std::max(0, topY + 8 - std::max(topY, 16));
    EXPECT_EQ(CountColor(image, topX, 16, topX + 1, 240, kWhite), topRowsShown);
    // Everything else is silent: only the two notes are white (right of the
    // octave labels' boxes, which reach x = 42).
    EXPECT_EQ(CountColor(image, 44, 16, 200, 240, kWhite), (x >= 44 ? 8 : 0) + topRowsShown);
  }
}

TEST(RendererBody, PixelColourFollowsGainRangeAndColourMap) {
  struct Case {
    int top, range, colorMap;
    float level;
    uint32_t rgb;
  };
  const Case cases[] = {
      {24, 20, 0, -24.0f, 0xffffff}, {24, 20, 0, -34.0f, 0x7f7f7f}, {24, 20, 0, -44.0f, 0x000000},
      {24, 2, 0, -25.0f, 0x7f7f7f},  {24, 2, 0, -26.0f, 0x000000},  {30, 10, 0, -35.0f, 0x7f7f7f},
      {24, 20, 1, -24.0f, 0xff0000}, {24, 20, 1, -34.0f, 0x00ffaa}, {24, 20, 1, -43.9f, 0x000004},
  };
  for (const Case& c : cases) {
    SyntheticResult r(192, 16);
    r.Set(50, 7, c.level);
    RenderInputs in = SmallView(r.s);
    in.display.m_levelTopDb = c.top;
    in.display.m_levelRangeDb = c.range;
    in.display.m_colorMap = c.colorMap;
    const ColorTable table = BuildColorTable(c.colorMap);
    in.display.m_colorTable = &table;
    EXPECT_EQ(Rgb(RenderPicture(in), 47, 66), c.rgb)
        << "top " << c.top << " range " << c.range << " map " << c.colorMap << " level " << c.level;
  }
}

TEST(RendererBody, HoverBandAndHarmonicsAreMarkedAndLevelsAddOntoThem) {
  SyntheticResult r(192, 64);
  const int hovered = 23;             // semitone position from the top: note 48, the lowest C
  r.Set(8 * hovered + 2, 9, -34.0f);  // grey 127 on the band
  r.Set(8 * hovered + 3, 9, -24.0f);  // full white saturates
  RenderInputs in = SmallView(r.s);
  in.display.m_hoverY = 16 + 8 * hovered + 5;
  in.display.m_showHarmonics = 1;
  in.display.m_harmonicsCount = 8;
  const QImage image = RenderPicture(in);
  const int x = 60;
  EXPECT_EQ(CountColor(image, x, NoteTop(48), x + 1, NoteTop(48) + 8, 0x606060), 8);
  EXPECT_EQ(Rgb(image, 49, NoteTop(48) + 2), 0xdfdfdfu) << "96 + 127";
  EXPECT_EQ(Rgb(image, 49, NoteTop(48) + 3), kWhite) << "saturates, does not wrap";
  // Harmonics 2 ... 8 lie 12, 19, 24, 28, 31, 34, 36 semitones higher; within
  // two octaves only those up to 23 semitones above fit.
  for (int above : {12, 19}) {
    EXPECT_EQ(CountColor(image, x, NoteTop(48 + above), x + 1, NoteTop(48 + above) + 8, 0x404040),
              8)
        << above;
  }
  EXPECT_EQ(CountColor(image, x, 16, x + 1, 240, 0x404040), 16) << "only the two that fit";
  EXPECT_EQ(Rgb(image, 10, NoteTop(48) + 5), 0xff0000u) << "hovered key is red";

  in.display.m_showHarmonics = 0;
  const QImage plain = RenderPicture(in);
  EXPECT_EQ(CountColor(plain, x, 16, x + 1, 240, 0x404040), 0);
  EXPECT_EQ(CountColor(plain, x, 16, x + 1, 240, 0x606060), 8);
}

TEST(RendererBody, FormantOverlayReplacesMaskedCellsOnlyWhenAMaskExists) {
  SyntheticResult r(192, 64);
  r.Set(40, 12, -10.0f);
  RenderInputs in = SmallView(r.s);
  in.analysis.m_formantEnabled = 1;
  EXPECT_EQ(Rgb(RenderPicture(in), 52, 56), kWhite) << "a loaded result has no mask";
  r.s.m_formantMask.Reset(192 * 64);
  r.s.m_formantMask[40 * 64 + 12] = 1;
  r.s.m_formantMask[41 * 64 + 13] = 1;
  const QImage image = RenderPicture(in);
  EXPECT_EQ(Rgb(image, 52, 56), 0x00c8ffu);
  EXPECT_EQ(Rgb(image, 53, 57), 0x00c8ffu);
  EXPECT_EQ(CountColor(image, 40, 16, 200, 240, 0x00c8ff), 2);
  in.analysis.m_formantEnabled = 0;
  EXPECT_EQ(Rgb(RenderPicture(in), 52, 56), kWhite);
}

TEST(RendererBody, WaveformDrawsThePositivePeakOfTheFirstChannel) {
  constexpr int kHop = 256;
  SyntheticResult r(192, 64);
  r.SetNote(60, 72, 5, -10.0f);  // must not show in waveform mode
  std::vector<int16_t> pcm(2 * kHop * 10, 0);
  auto sample = [&](int frame, int i, int channel) -> int16_t& {
    return pcm[2 * (frame * kHop + i) + channel];
  };
  sample(5, 17, 0) = 16384;
  sample(5, 18, 0) = -32768;
  sample(6, 3, 0) = -20000;  // negative only: nothing
  sample(7, 3, 1) = 30000;   // second channel only: nothing
  RenderInputs in = SmallView(r.s);
  in.display.m_showWaveform = 1;
  in.waveform.m_samples = pcm.data();
  in.waveform.m_channels = 2;
  in.waveform.m_blockAlign = 4;
  in.waveform.m_dataSize = int(pcm.size() * 2);
  const QImage image = RenderPicture(in);
  // H - 16 = 224: a = 16384 * 224 / 65536 = 56 around the middle 112 + 16.
  // The octave line at y = 112 is drawn over it.
  const uint32_t grey = 0xc0c0c0;
  EXPECT_EQ(CountColor(image, 45, 0, 46, 240, grey), 111);
  EXPECT_EQ(Rgb(image, 45, 128 - 56 + 1), grey);
  EXPECT_EQ(Rgb(image, 45, 128 + 56), grey);
  EXPECT_NE(Rgb(image, 45, 128 + 57), grey);
  EXPECT_EQ(CountColor(image, 41, 16, 200, 240, grey), 111) << "only frame 5 has a positive peak";
  EXPECT_EQ(CountColor(image, 44, 16, 200, 240, kWhite), 0) << "no spectrogram";

  in.waveform.m_dataSize = 2 * (2 * (5 * kHop + 17));  // ends just before the peak
  EXPECT_EQ(CountColor(RenderPicture(in), 41, 16, 200, 240, grey), 0);
}

TEST(RendererBody, MatrixSmallerThanTheNoteRangeOrScrolledPastIsNeverReadBeyondItsEnd) {
  SyntheticResult r(100, 8);  // the note range claims 192 rows
  for (int row = 0; row < 100; ++row) r.Set(row, 6, -10.0f);
  RenderInputs in = SmallView(r.s);
  const QImage image = RenderPicture(in);
  EXPECT_EQ(CountColor(image, 46, 16, 47, 240, kWhite), 99)
      << "100 rows, one under the octave line";
  EXPECT_EQ(CountColor(image, 40 + 8, 16, 200, 240, kWhite), 0) << "right of the last frame";

  in.viewport.m_scrollX = 500;
  in.viewport.m_scrollY = 1000;
  EXPECT_EQ(CountColor(RenderPicture(in), 44, 16, 200, 240, kWhite), 0);
  in.viewport.m_clientWidth = 20;
  in.viewport.m_scrollX = 0;
  in.viewport.m_scrollY = 0;
  EXPECT_EQ(RenderPicture(in).width(), 20);
}

}  // namespace
}  // namespace velmio

// The read-out at the mouse: its text, the cell's pitch from the bins'
// layout, the time and level at every zoom, and the status pane it goes to.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ViewFlowSupport.h"
#include "ViewTestSupport.h"
#include "view/ReadOut.h"

namespace velmio {
namespace {

TEST(ReadOutText, ShowsNoteCentsFrequencyTimeAndLevel) {
  struct Case {
    ReadOutCell cell;
    const char* text;
  };
  const Case cases[] = {
      {{57, 12.3, 443.14, 12345, -31.4f}, "A4 +12¢ 443.1 Hz  0:12.345  −31 dB"},
      {{61, -4.6, 554.37, std::nullopt, std::nullopt}, "C#5 −5¢ 554.4 Hz"},
      {{0, 0.2, 16.36, 0, 0.4f}, "C0 +0¢ 16.4 Hz  0:00.000  0 dB"},
      {{119, 43.75, 16213.6, 125432, -382.29f}, "B9 +44¢ 16213.6 Hz  2:05.432  −382 dB"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatReadOut(c.cell), c.text);
}

// A4 (note 57) in C1 ... C10 fills rows 496 ... 503. With N bins per
// semitone each bin fills 8 / N rows, the highest sub-bin at the top, the
// lowest 0.5 - 2^-N semitone below the note.
TEST(ReadOutCell, PitchOfTheRowsBin) {
  struct Case {
    int bins, a4;
    int64_t row;
    int note;
    long cents;
    double hz;
  };
  const Case cases[] = {
      {1, 440, 496, 57, 0, 440.0},  {1, 440, 503, 57, 0, 440.0}, {1, 442, 500, 57, 0, 442.0},
      {4, 440, 496, 57, 31, 448.0}, {4, 440, 503, 57, -44, 429.0}, {8, 440, 496, 57, 38, 449.7},
      {2, 440, 0, 119, 25, 16034.1},  // B9, a quarter tone up
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "N " << c.bins << " row " << c.row);
    ReadOutSource source;
    source.binsPerSemitone = c.bins;
    source.a4Frequency = c.a4;
    const std::optional<ReadOutCell> cell = ReadCell(source, c.row, -1);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->note, c.note);
    EXPECT_EQ(std::lround(cell->cents), c.cents);
    EXPECT_NEAR(cell->frequency, c.hz, 0.1);
    EXPECT_FALSE(cell->timeMs) << "over the keyboard";
  }
  ReadOutSource source;
  EXPECT_FALSE(ReadCell(source, -1, 0));
  EXPECT_FALSE(ReadCell(source, 864, 0)) << "below the lowest row";
}

TEST(ReadOutCell, TimeAndLevelOfTheColumnAtItsZoom) {
  test::SyntheticResult result(864, 400);
  result.Set(500, 173, -20.0f);
  result.Set(500, 175, -12.0f);
  ReadOutSource source;
  source.spectrogram = &result.s;
  struct Case {
    int step;
    int64_t column;
    std::optional<int64_t> ms;
    std::optional<float> db;
  };
  const Case cases[] = {
      {1, 173, 1004, -20.0f},  // 173 x 256 / 44.1 kHz
      {-4, 43, 998, -12.0f},   // frames 172 ... 175: the loudest
      {2, 346, 1004, -20.0f},
      {1, 400, std::nullopt, std::nullopt},  // beyond the last frame
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    source.scale = TimeScale::FromStep(c.step);
    const std::optional<ReadOutCell> cell = ReadCell(source, 500, c.column);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->timeMs, c.ms);
    EXPECT_EQ(cell->levelDb, c.db);
  }
}

class ReadOutViewTest : public test::ViewFlowTest {};

TEST_F(ReadOutViewTest, TheMouseOverTheA4RowReadsA4) {
  OpenAndFinish(WriteTone("a4.wav", 1, 44100, 16, 1.0));
  view->OnVScroll(280);  // the lowest scroll position of 864 rows in 600 lines
  const int32_t y = 500 + 16 - 280;
  view->OnMouseMove(140, y);
  const std::optional<std::string> text = host.LastStatus(kStatusPaneReadOut);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->rfind("A4 ", 0), 0u) << *text;
  EXPECT_NE(text->find("  0:00.580  "), std::string::npos) << "frame 100: " << *text;
  EXPECT_EQ(*text, view->ReadOutAt(140, y));

  const std::size_t shown = host.statusTexts[kStatusPaneReadOut].size();
  host.clock += 10;  // too soon for the hover band, not for the read-out
  view->OnMouseMove(141, y);
  EXPECT_EQ(host.statusTexts[kStatusPaneReadOut].size(), shown + 1);
  view->OnMouseMove(141, y);
  EXPECT_EQ(host.statusTexts[kStatusPaneReadOut].size(), shown + 1) << "the same text once";
  view->OnMouseMove(141, 8);
  EXPECT_EQ(host.LastStatus(kStatusPaneReadOut), "") << "over the ruler";
}

}  // namespace
}  // namespace velmio

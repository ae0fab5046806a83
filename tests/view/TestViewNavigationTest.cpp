// Display commands, scrolling, resizing, hover, double click and the position
// read-outs, through a recording host with a manual clock.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "ViewFlowSupport.h"

namespace velmio::test {
namespace {

// One second of 16-bit mono at 44.1 kHz: 88200 bytes, 512 bytes per frame.
class NavigationTest : public ViewFlowTest {
 protected:
  void Load() { OpenAndFinish(WriteTone("one second.wav", 1, 44100, 16, 1.0)); }
};

struct LevelCase {
  const char* name;
  int32_t top, range;  // before
  void (CTestView::*command)();
  int32_t topAfter, rangeAfter;
  const char* bottomLabel;
  const char* topLabel;
};

TEST_F(NavigationTest, GainAndRangeCommandsMoveTheLevelsAndLabels) {
  const LevelCase cases[] = {
      {"gain up", 24, 20, &CTestView::OnGainUp, 26, 20, "-46dB", "-26dB"},
      {"gain down", 24, 20, &CTestView::OnGainDown, 22, 20, "-42dB", "-22dB"},
      {"gain below zero", 0, 20, &CTestView::OnGainDown, -2, 20, "-18dB", "2dB"},
      {"gain far below zero", -40, 20, &CTestView::OnGainDown, -42, 20, "22dB", "42dB"},
      {"gain high", 1000, 20, &CTestView::OnGainUp, 1002, 20, "-1022dB", "-1002dB"},
      {"range up", 24, 20, &CTestView::OnRangeUp, 24, 22, "-46dB", "-24dB"},
      {"range down", 24, 20, &CTestView::OnRangeDown, 24, 18, "-42dB", "-24dB"},
      {"range down to 2", 24, 4, &CTestView::OnRangeDown, 24, 2, "-26dB", "-24dB"},
      {"range stays at 2", 24, 2, &CTestView::OnRangeDown, 24, 2, "-26dB", "-24dB"},
      {"range 3 goes to 1", 24, 3, &CTestView::OnRangeDown, 24, 1, "-25dB", "-24dB"},
      {"range stays at 1", 24, 1, &CTestView::OnRangeDown, 24, 1, "-25dB", "-24dB"},
  };
  for (const LevelCase& c : cases) {
    SCOPED_TRACE(c.name);
    view->SetLevels(c.top, c.range);
    host.invalidations = 0;

    (view.get()->*c.command)();

    EXPECT_EQ(view->Settings().m_levelTopDb, c.topAfter);
    EXPECT_EQ(view->Settings().m_levelRangeDb, c.rangeAfter);
    EXPECT_EQ(host.LastControl(kControlLevelLow), c.bottomLabel);
    EXPECT_EQ(host.LastControl(kControlLevelHigh), c.topLabel);
    EXPECT_EQ(host.invalidations, 1);
  }
}

TEST_F(NavigationTest, TogglesFlipTheirFlagAndRedraw) {
  struct Toggle {
    const char* name;
    void (CTestView::*command)();
    std::function<bool(const CTestView&)> flag;
  };
  const Toggle toggles[] = {
      {"harmonics", &CTestView::OnToggleHarmonics,
       [](const CTestView& v) { return v.Settings().m_showHarmonics != 0; }},
      {"waveform", &CTestView::OnToggleWaveform,
       [](const CTestView& v) { return v.Display().ShowsWaveform(); }},
      {"grid", &CTestView::OnToggleGrid,
       [](const CTestView& v) { return v.Display().FrequencyGrid(); }},
  };
  for (const Toggle& t : toggles) {
    SCOPED_TRACE(t.name);
    host.invalidations = 0;
    (view.get()->*t.command)();
    EXPECT_TRUE(t.flag(*view));
    (view.get()->*t.command)();
    EXPECT_FALSE(t.flag(*view));
    EXPECT_EQ(host.invalidations, 2);
  }
}

TEST_F(NavigationTest, PitchToggleWorksOnlyInSingleVoiceMode) {
  view->OnTogglePitch();
  EXPECT_FALSE(view->SingleVoice().ShowsPitch());
  EXPECT_EQ(host.invalidations, 0);

  ViewProbe::SingleVoiceOf(*view).SetMode(true);
  view->OnTogglePitch();
  EXPECT_FALSE(view->SingleVoice().ShowsPitch());
  view->OnTogglePitch();
  EXPECT_TRUE(view->SingleVoice().ShowsPitch());
  EXPECT_EQ(host.invalidations, 2);
}

TEST_F(NavigationTest, HoverFollowsTheRowAtMostEvery51Milliseconds) {
  host.clock = 10000;
  view->OnMouseMove(100, 100);
  EXPECT_EQ(view->Display().HoverY(), -1) << "no result to hover over yet";

  Load();
  struct Move {
    int64_t clock;
    int32_t x, y;
    bool accepted;
  };
  const Move moves[] = {
      {20000, 100, 100, true},
      {20050, 100, 120, false},  // 50 ms after the last accepted move
      {20051, 100, 120, true},   // 51 ms
      {30000, 300, 120, false},  // same row: only y matters
      {30000, 300, 121, true},
      {3'000'000'000, 0, 130, true},  // the clock needs more than 32 bits
      {3'000'000'050, 0, 140, false},
      {3'000'000'051, 0, 140, true},
  };
  int32_t expectedRow = -1;
  for (const Move& m : moves) {
    SCOPED_TRACE(m.clock);
    host.clock = m.clock;
    host.invalidations = 0;
    view->OnMouseMove(m.x, m.y);
    if (m.accepted) expectedRow = m.y;
    EXPECT_EQ(view->Display().HoverY(), expectedRow);
    EXPECT_EQ(host.invalidations, m.accepted ? 1 : 0);
  }
}

TEST_F(NavigationTest, DoubleClickMovesThePlayStartInsideTheData) {
  view->OnLButtonDblClk(60, 50);
  EXPECT_EQ(view->Playback().PlayStartByte(), 0) << "nothing loaded";
  EXPECT_EQ(view->Playback().CursorFrame(), 0);
  EXPECT_EQ(host.invalidations, 0);

  Load();
  ASSERT_EQ(view->CurrentAnalysis().Result().m_frameCount, 172);
  struct Click {
    const char* name;
    int32_t clientWidth, scrollX, x;
    PlayState playState;
    int32_t frame;  // -1: ignored
  };
  // 172 frames of 512 bytes hold 88064 bytes; the last 136 start frame 172,
  // right of the picture where the window is wider than the content.
  const Click clicks[] = {
      {"first data column", 800, 0, 40, PlayState::kStopped, 0},
      {"keyboard strip", 800, 0, 39, PlayState::kStopped, -1},
      {"second column", 800, 0, 41, PlayState::kStopped, 1},
      {"scrolled", 100, 100, 50, PlayState::kStopped, 110},
      {"scrolled to the end", 100, 112, 99, PlayState::kStopped, 171},
      {"last frame with data", 800, 0, 212, PlayState::kStopped, 172},  // byte 88064 < 88200
      {"beyond the data", 800, 0, 213, PlayState::kStopped, -1},        // byte 88576
      {"far beyond", 800, 0, 799, PlayState::kStopped, -1},
      {"playing", 800, 0, 60, PlayState::kPlaying, -1},
      {"paused", 800, 0, 60, PlayState::kPaused, -1},
      {"last block queued", 800, 0, 60, PlayState::kLastQueued, -1},
      {"nothing playable", 800, 0, 60, PlayState::kNothingPlayable, -1},
  };
  for (const Click& c : clicks) {
    SCOPED_TRACE(c.name);
    host.SetClientSize({c.clientWidth, 300});
    view->OnHScroll(c.scrollX);
    ASSERT_EQ(host.GetScrollPosition().x, c.scrollX);
    PlaybackEngineProbe::State(ViewProbe::PlaybackOf(*view)) = c.playState;
    PlaybackEngineProbe::PlayStartByte(ViewProbe::PlaybackOf(*view)) = 4096;
    PlaybackEngineProbe::CursorFrame(ViewProbe::PlaybackOf(*view)) = 8;
    host.invalidations = 0;
    const std::size_t readOuts = host.statusTexts[kStatusPanePosition].size();

    view->OnLButtonDblClk(c.x, 150);

    if (c.frame < 0) {
      EXPECT_EQ(view->Playback().PlayStartByte(), 4096);
      EXPECT_EQ(view->Playback().CursorFrame(), 8);
      EXPECT_EQ(host.invalidations, 0);
      EXPECT_EQ(host.statusTexts[kStatusPanePosition].size(), readOuts);
    } else {
      EXPECT_EQ(view->Playback().PlayStartByte(), 512 * c.frame);
      EXPECT_EQ(view->Playback().CursorFrame(), c.frame);
      EXPECT_EQ(host.invalidations, 1);
      // Both read-outs show the new start (88200 bytes a second).
      const int ms = 512 * c.frame * 1000 / 88200;
      char time[32];
      std::snprintf(time, sizeof time, "%3d:%02d.%1d / 0:01.0", ms / 60000, ms / 1000 % 60,
                    ms / 100 % 10);
      EXPECT_EQ(host.LastStatus(kStatusPanePosition), time);
      EXPECT_EQ(host.LastControl(kControlTime), std::string("時間") + time);
    }
  }
  PlaybackEngineProbe::State(ViewProbe::PlaybackOf(*view)) = PlayState::kStopped;
}

// Three minutes at 22.05 kHz, read out while its analysis runs.
TEST_F(NavigationTest, PositionReadOutShowsTimeAndBars) {
  ASSERT_TRUE(OpenChosen(WriteTone("three minutes.wav", 1, 22050, 16, 180.0)));
  EXPECT_EQ(host.LastStatus(kStatusPanePosition), "  0:00.0 / 3:00.0");

  ViewProbe::UpdatePositionText(*view, 61234);
  EXPECT_EQ(host.LastStatus(kStatusPanePosition), "  1:01.2 / 3:00.0");
  EXPECT_EQ(host.LastControl(kControlTime), "時間  1:01.2 / 3:00.0");
  EXPECT_EQ(host.LastControl(kControlBar), "");

  ViewProbe::TempoOf(*view) = TempoGrid{120, 4, 4, 500};
  ViewProbe::DisplayOf(*view).SetBarDisplay(true);
  const std::vector<std::tuple<int32_t, const char*, const char*>> cases = {
      {2500, "  0:02.5 / 3:00.0", "小節   1: 0 / 89: 3"},
      {0, "  0:00.0 / 3:00.0", "小節   0:-1 / 89: 3"},
      {500, "  0:00.5 / 3:00.0", "小節   0: 0 / 89: 3"},
      {-1, "  0:00.5 / 3:00.0", "小節   0: 0 / 89: 3"},  // repeats the last position
      {61234, "  1:01.2 / 3:00.0", "小節  30: 1 / 89: 3"},
      {-7, "  1:01.2 / 3:00.0", "小節  30: 1 / 89: 3"},
      {180000, "  3:00.0 / 3:00.0", "小節  89: 3 / 89: 3"},
      {600000, " 10:00.0 / 3:00.0", "小節 299: 3 / 89: 3"},
  };
  for (const auto& [position, time, bars] : cases) {
    SCOPED_TRACE(position);
    ViewProbe::UpdatePositionText(*view, position);
    EXPECT_EQ(host.LastStatus(kStatusPanePosition), time);
    EXPECT_EQ(host.LastControl(kControlTime), std::string("時間") + time);
    EXPECT_EQ(host.LastControl(kControlBar), bars);
  }

  ViewProbe::DisplayOf(*view).SetBarDisplay(false);
  ViewProbe::UpdatePositionText(*view, -1);
  EXPECT_EQ(host.LastControl(kControlBar), "");
  EXPECT_EQ(host.LastStatus(kStatusPanePosition), " 10:00.0 / 3:00.0");
}

TEST_F(NavigationTest, ResizeSetsTheHorizontalPageOnceThereIsAResult) {
  const ScrollSizes before = host.GetScrollSizes();
  view->OnSize(500, 300);
  EXPECT_EQ(host.GetScrollSizes().pageX, before.pageX) << "no result yet";
  EXPECT_EQ(host.invalidations, 1);

  Load();
  const ScrollSizes loaded = host.GetScrollSizes();
  struct Resize {
    int32_t width;
    int32_t pageX;
  };
  for (const Resize r : {Resize{500, 460}, Resize{1041, 1001}, Resize{0, 1001}, Resize{41, 1}}) {
    SCOPED_TRACE(r.width);
    host.SetClientSize({r.width, 300});
    host.invalidations = 0;
    view->OnSize(r.width, 300);
    const ScrollSizes now = host.GetScrollSizes();
    EXPECT_EQ(now.pageX, r.pageX);
    EXPECT_EQ(now.lineX, 1);
    EXPECT_EQ(now.contentWidth, loaded.contentWidth);
    EXPECT_EQ(now.contentHeight, loaded.contentHeight);
    EXPECT_EQ(now.pageY, loaded.pageY);
    EXPECT_EQ(now.lineY, loaded.lineY);
    EXPECT_EQ(host.invalidations, 1);
  }
  host.SetClientSize({30, 300});
  view->OnSize(30, 300);
  EXPECT_GE(host.GetScrollSizes().pageX, 1) << "a page is never empty";
}

// About 38 minutes of frames: positions past 16 bits must arrive whole.
TEST_F(NavigationTest, HorizontalScrollReachesPositionsBeyond65535) {
  ScrollSizes wide;
  wide.contentWidth = 200000 + 40;
  wide.contentHeight = 880;
  host.SetScrollSizes(wide);
  view->OnVScroll(100);
  const int32_t last = wide.contentWidth - 800;
  for (const auto& [request, reached] :
       std::vector<std::pair<int32_t, int32_t>>{{65535, 65535},
                                                {65536, 65536},
                                                {131072 + 5, 131077},
                                                {last, last},
                                                {250000, last},
                                                {0, 0}}) {
    host.invalidations = 0;
    view->OnHScroll(request);
    EXPECT_EQ(host.GetScrollPosition().x, reached) << request;
    EXPECT_EQ(host.GetScrollPosition().y, 100);
    EXPECT_EQ(host.invalidations, 1);
  }
}

// The window keeps sending events while the job writes the result; none of
// them may read what the job is writing (ThreadSanitizer checks this).
TEST_F(NavigationTest, WindowEventsDuringTheAnalysisLeaveTheJobAlone) {
  Load();
  ASSERT_TRUE(OpenChosen(WriteTone("ten seconds.wav", 2, 44100, 16, 10.0)));
  int64_t clock = 1'000'000;
  int32_t y = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  while (view->CurrentAnalysis().State() != AnalysisState::kTakenOver) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
    host.clock = (clock += 60);
    view->OnMouseMove(100, ++y % 400);
    view->OnSize(700 + y % 50, 500);
    view->OnLButtonDblClk(100, 100);
    ViewProbe::UpdatePositionText(*view, y);
    const QImage picture = view->RenderToImage();
    EXPECT_FALSE(picture.isNull());
    view->OnTimer(kTimerProgress);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(host.GetScrollSizes().contentWidth, view->CurrentAnalysis().Result().m_frameCount + 40);
  EXPECT_EQ(host.GetScrollSizes().pageX, host.GetClientSize().width - 40);
}

}  // namespace
}  // namespace velmio::test

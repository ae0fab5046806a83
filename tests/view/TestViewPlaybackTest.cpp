// Playback through the view on a virtual sound output: what is heard after
// the take-over, a double click and the loop popup's commands, how timer 1
// moves the cursor, the read-outs and the scroll, and how a play that cannot
// start leaves the program usable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../audio/PlaybackRig.h"
#include "ViewFlowSupport.h"

namespace velmio::test {
namespace {

constexpr int32_t kFrameBytes = 512;    // mono 16-bit, hop 256
constexpr int64_t kTickBytes = 8820;    // 100 ms of mono 16-bit at 44.1 kHz
constexpr int32_t kDataBytes = 264600;  // three seconds
constexpr int32_t kWholeFrames = 516;   // 264600 / 512

class PlaybackViewTest : public ViewFlowTest {
 protected:
  void SetUp() override {
    ViewFlowTest::SetUp();
    // Noise, so that sound taken from a wrong place never matches by chance.
    const std::vector<int16_t> samples = PatternSamples(kDataBytes / 2);
    bytes.assign(reinterpret_cast<const char*>(samples.data()), kDataBytes);
    OpenAndFinish(dir.Write("noise.wav", WavImage(Pcm(1, 44100, 16), bytes)));
  }

  std::string Played() const {
    return std::string(waveOut.Played().begin(), waveOut.Played().end());
  }
  // Lets the sound pass until the playback has ended by itself.
  void PlayToTheEnd() {
    for (int i = 0; i < 1000 && view->Playback().State() > PlayState::kStopped; ++i)
      waveOut.Advance(4096);
    ASSERT_EQ(view->Playback().State(), PlayState::kStopped);
  }
  // 100 ms of sound, then timer 1 if it still runs, as the window fires it.
  void Tick() {
    waveOut.Advance(kTickBytes);
    if (host.TimerRunning(kTimerPlayback)) view->OnTimer(kTimerPlayback);
  }
  // What a paint shows now at client column x, row 200 (from the cache when it holds).
  QRgb PaintedAt(int x) {
    const ClientSize client = host.GetClientSize();
    QImage window(client.width, client.height, QImage::Format_RGB32);
    QPainter painter(&window);
    view->DrawView(painter);
    painter.end();
    return window.pixel(x, 200);
  }
  int32_t CursorColumn() const {
    return view->Playback().CursorFrame() + 40 - host.GetScrollPosition().x;
  }

  std::string bytes;
};

TEST_F(PlaybackViewTest, PlayAfterTakeOverPlaysTheFileToItsEnd) {
  host.SetClientSize({300, 300});
  ASSERT_EQ(view->Playback().State(), PlayState::kStopped);
  view->OnPlay();
  EXPECT_EQ(view->Playback().State(), PlayState::kPlaying);
  EXPECT_TRUE(host.TimerRunning(kTimerPlayback));
  EXPECT_EQ(host.timerCalls.back().milliseconds, 100);
  EXPECT_EQ(waveOut.OpenedFormat().nChannels, 1);
  EXPECT_EQ(waveOut.OpenedFormat().nSamplesPerSec, 44100u);
  const int changes = host.commandStateChanges;

  PlayToTheEnd();
  EXPECT_EQ(Played(), bytes);
  EXPECT_FALSE(host.TimerRunning(kTimerPlayback));
  EXPECT_GT(host.commandStateChanges, changes) << "the buttons must learn that playback ended";
  EXPECT_EQ(view->Playback().PlayStartByte(), kDataBytes);

  // At the end PLAY has nothing left; ReWind scrolls back and plays it all again.
  host.ScrollTo({200, 0});
  view->OnRewind();
  EXPECT_EQ(host.GetScrollPosition().x, 0);
  EXPECT_EQ(host.LastStatus(kStatusPanePosition).value_or("").substr(0, 9), "  0:00.0 ");
  waveOut.ClearRecord();
  view->OnPlay();
  PlayToTheEnd();
  EXPECT_EQ(Played(), bytes);
}

TEST_F(PlaybackViewTest, DoubleClickMovesThePlayStart) {
  host.SetClientSize({300, 300});
  host.ScrollTo({50, 0});
  view->OnLButtonDblClk(90, 100);  // frame 90 + 50 - 40
  EXPECT_EQ(view->Playback().CursorFrame(), 100);
  view->OnPlay();
  EXPECT_EQ(host.GetScrollPosition().x, 50) << "the start is in view";
  PlayToTheEnd();
  EXPECT_EQ(Played(), bytes.substr(100 * kFrameBytes));
}

TEST_F(PlaybackViewTest, TimerMovesCursorAndReadOutsAndTurnsThePage) {
  host.SetClientSize({300, 300});
  view->OnPlay();
  host.scrollRequests.clear();
  for (int tick = 1; view->Playback().State() > PlayState::kStopped; ++tick) {
    ASSERT_LE(tick, 40);
    Tick();
    if (view->Playback().State() == PlayState::kStopped) break;
    EXPECT_EQ(view->Playback().CursorFrame(), tick * kTickBytes / kFrameBytes);
    EXPECT_GE(CursorColumn(), 40) << tick;
    EXPECT_LE(CursorColumn(), 300) << tick;
    if (tick == 10) {
      EXPECT_EQ(host.LastStatus(kStatusPanePosition), "  0:01.0 / 0:03.0");
      EXPECT_EQ(host.LastControl(kControlTime), "時間  0:01.0 / 0:03.0");
    }
  }
  // One page turn at frame 275 (column 315 > 300): to 300 - 40, which the
  // scroll bar holds at the last page, 556 - 300.
  ASSERT_EQ(host.scrollRequests.size(), 1u);
  EXPECT_EQ(host.scrollRequests[0].x, 260);
  EXPECT_EQ(host.GetScrollPosition().x, 256);
  EXPECT_FALSE(host.TimerRunning(kTimerPlayback));
}

TEST_F(PlaybackViewTest, LoopPointsFromThePopupAndLoopPlayback) {
  view->OnToggleLoop();
  EXPECT_EQ(host.LastControl(kControlLoop), "LOOP  0:00.0～0:02.9");

  struct Click {
    const char* name;
    bool end;
    int32_t clientWidth, scrollX, x;
    int32_t startFrame, endFrame;  // afterwards
  };
  const Click clicks[] = {
      {"keyboard strip", false, 800, 0, 39, 0, kWholeFrames},
      {"beyond the data", true, 800, 0, 799, 0, kWholeFrames},
      {"start", false, 800, 0, 140, 100, kWholeFrames},
      {"end, scrolled", true, 300, 200, 240, 100, 400},
  };
  for (const Click& c : clicks) {
    SCOPED_TRACE(c.name);
    host.SetClientSize({c.clientWidth, 300});
    host.ScrollTo({c.scrollX, 0});
    host.invalidations = 0;
    const std::size_t labels = host.controlTexts[kControlLoop].size();
    c.end ? view->OnSetLoopEnd(c.x) : view->OnSetLoopStart(c.x);
    EXPECT_EQ(view->Playback().LoopStartFrame(), c.startFrame);
    EXPECT_EQ(view->Playback().LoopEndFrame(), c.endFrame);
    const bool stored = c.x == 140 || c.x == 240;
    EXPECT_EQ(host.controlTexts[kControlLoop].size(), labels + (stored ? 1 : 0));
    EXPECT_EQ(host.invalidations, stored ? 1 : 0);
  }
  EXPECT_EQ(host.LastControl(kControlLoop), "LOOP  0:00.5～0:02.3");
  // The markers are part of the cached picture: a moved one is drawn at once.
  EXPECT_EQ(PaintedAt(240), qRgb(0, 0, 255));
  view->OnSetLoopEnd(250);
  EXPECT_EQ(PaintedAt(250), qRgb(0, 0, 255));
  EXPECT_NE(PaintedAt(240), qRgb(0, 0, 255));
  view->OnSetLoopEnd(240);

  // The start lies left of the view: Play brings it just right of the keyboard.
  view->OnPlay();
  EXPECT_EQ(host.GetScrollPosition().x, 100);

  // Three passes over frames 100 ... 400; the cursor follows them back and forth.
  const std::string loop = bytes.substr(100 * kFrameBytes, 300 * kFrameBytes);
  int wraps = 0;
  int32_t last = view->Playback().CursorFrame();
  while (waveOut.Played().size() < 3 * loop.size()) {
    Tick();
    const int32_t cursor = view->Playback().CursorFrame();
    ASSERT_GE(cursor, 100);
    ASSERT_LT(cursor, 400);
    EXPECT_GE(CursorColumn(), 40);
    EXPECT_LE(CursorColumn(), 300);
    if (cursor < last) ++wraps;
    last = cursor;
  }
  EXPECT_EQ(wraps, 3) << "the last tick is already into the fourth pass";
  EXPECT_EQ(Played().substr(0, 3 * loop.size()), loop + loop + loop);
  view->OnStop();
  EXPECT_FALSE(host.TimerRunning(kTimerPlayback));
}

TEST_F(PlaybackViewTest, PlayThatCannotStartLeavesTheProgramUsable) {
  struct Case {
    const char* name;
    int openResult;
    int writesBeforeFailure;
    int32_t loopStartX, loopEndX;  // 0: loop off
    int32_t startByte;
    int64_t advance;  // sound let through after PLAY
    std::vector<std::string> messages;
  };
  // clang-format off
  const Case cases[] = {
      {"no audio server", 5, -1, 0, 0, 0, 0, {"waveOutOpen error !"}},
      {"write refused while priming", 0, 1, 0, 0, 0, 0, {"waveOutWrite error !"}},
      {"write refused on refill", 0, 4, 0, 0, 0, 32768, {"waveOutWrite error !"}},
      {"loop start after its end", 0, -1, 400, 140, 0, 0,
       {"LOOP再生の開始位置が終了位置よりも後ろにあります。"}},
      {"loop start on its end", 0, -1, 140, 140, 0, 0, {}},
      {"less than a block left", 0, -1, 0, 0, kDataBytes - 32766, 0, {}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    waveOut.m_openResult = c.openResult;
    waveOut.m_writesBeforeFailure = c.writesBeforeFailure;
    if (c.loopStartX != 0) {
      view->OnToggleLoop();
      view->OnSetLoopStart(c.loopStartX);
      view->OnSetLoopEnd(c.loopEndX);
    }
    PlaybackEngineProbe::PlayStartByte(ViewProbe::PlaybackOf(*view)) = c.startByte;
    host.messages.clear();

    view->OnPlay();
    waveOut.Advance(c.advance);

    EXPECT_EQ(host.MessageTexts(), c.messages);
    EXPECT_EQ(view->Playback().State(), PlayState::kStopped) << "PLAY stays enabled, nothing hangs";
    EXPECT_FALSE(host.TimerRunning(kTimerPlayback));

    // Once the cause is gone, PLAY works again.
    waveOut.m_openResult = 0;
    waveOut.m_writesBeforeFailure = -1;
    if (c.loopStartX != 0) view->OnToggleLoop();
    view->OnRewind();
    view->OnPlay();
    EXPECT_EQ(view->Playback().State(), PlayState::kPlaying);
    view->OnStop();
  }
}

TEST_F(PlaybackViewTest, OpeningAnotherFileEndsTheLoopAndWaitsForItsResult) {
  view->OnToggleLoop();
  view->OnSetLoopStart(140);
  const std::string stereo = WriteTone("stereo.wav", 2, 44100, 16, 1.0);

  ASSERT_TRUE(OpenChosen(stereo));
  EXPECT_EQ(view->Playback().LoopEnabled(), false);
  EXPECT_EQ(host.LastControl(kControlLoop), "");
  EXPECT_EQ(view->Playback().LoopStartFrame(), 0);
  EXPECT_EQ(view->Playback().LoopEndFrame(), 172);  // 176400 / 4 / 256
  // The old format no longer fits the samples: nothing plays until the take-over.
  EXPECT_EQ(view->Playback().State(), PlayState::kNothingPlayable);
  view->OnPlay();
  EXPECT_TRUE(waveOut.Played().empty());

  RunToTakeOver();
  EXPECT_EQ(view->Playback().State(), PlayState::kStopped);
  view->OnPlay();
  EXPECT_EQ(waveOut.OpenedFormat().nChannels, 2);
  PlayToTheEnd();
  EXPECT_EQ(Played(), ToneSamples(2, 44100, 16, 1.0));
}

}  // namespace
}  // namespace velmio::test

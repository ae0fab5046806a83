// The playback group in the window: the toolbar's PLAY and STOP follow the
// playback, the space bar plays and stops, and the right-click popup sets
// the loop points at the clicked column.
#include <QComboBox>
#include <QMenu>
#include <QSpinBox>

#include "FrameFixture.h"
#include "ui/CommandTable.h"
#include "ui/StretchControls.h"

namespace velmio::ui {
namespace {

class PlaybackCommandsTest : public test::FrameFixture {
 protected:
  // Three seconds of mono: longer than the four blocks that playback keeps
  // queued, so that STOP has a playing state to stop.
  void LoadTone() {
    const std::string path = dir.File("three seconds.wav");
    test::WriteToneWav(path, 1, 44100, 3 * 44100);
    ASSERT_TRUE(Drop({QString::fromStdString(path)}));
    ASSERT_TRUE(WaitForResult());
    frame.UpdateCommandStates();
  }
  // PLAY, STOP, ReWind, LOOP as the toolbar shows them.
  std::vector<bool> Buttons() {
    return {Button(kCmdPlay)->isEnabled(), Button(kCmdStop)->isEnabled(),
            Button(kCmdRewind)->isEnabled(), Button(kCmdLoop)->isEnabled()};
  }
  void Space() { QTest::keyClick(&frame, Qt::Key_Space); }
  // Right click at client column x; the loop popup if it opened, else null.
  QMenu* RightClick(int x) {
    QTest::mouseClick(Viewport(), Qt::RightButton, Qt::NoModifier, QPoint(x, 100));
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
  }
};

TEST_F(PlaybackCommandsTest, ToolbarFollowsThePlayback) {
  using B = std::vector<bool>;
  EXPECT_EQ(Buttons(), (B{false, false, false, false})) << "nothing loaded";
  LoadTone();
  EXPECT_EQ(Buttons(), (B{true, false, true, true}));

  Button(kCmdPlay)->click();
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying);
  EXPECT_EQ(Buttons(), (B{false, true, false, false}));
  frame.RunCommand(kCmdPause);
  EXPECT_EQ(Buttons(), (B{true, true, false, false}));
  Button(kCmdPlay)->click();
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying);

  // The end of the data stops without a command: the buttons learn it at once.
  while (View().Playback().State() > PlayState::kStopped) waveOut.Advance(8192);
  EXPECT_EQ(Buttons(), (B{true, false, true, true}));
  EXPECT_EQ(waveOut.Played().size(), 264600u);
}

TEST_F(PlaybackCommandsTest, SpaceBarPlaysAndStops) {
  Space();
  EXPECT_EQ(View().Playback().State(), PlayState::kNothingPlayable) << "nothing to play";
  LoadTone();
  Space();
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying);
  waveOut.Advance(10000);
  Space();
  EXPECT_EQ(View().Playback().State(), PlayState::kStopped);
  EXPECT_EQ(View().Playback().PlayStartByte(), 10000) << "the next play continues there";
  Space();
  frame.RunCommand(kCmdPause);
  Space();
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying) << "paused: the space bar resumes";
  Space();
  EXPECT_EQ(View().Playback().State(), PlayState::kStopped);
}

TEST_F(PlaybackCommandsTest, RightClickPopupSetsTheLoopPoints) {
  LoadTone();
  EXPECT_EQ(RightClick(140), nullptr) << "loop off";
  Button(kCmdLoop)->click();
  EXPECT_TRUE(frame.Action(kCmdLoop)->isChecked());
  EXPECT_EQ(frame.DialogBar().ControlText(1045), QStringLiteral("LOOP  0:00.0～0:02.9"));

  const struct {
    int x;
    int command;
  } clicks[] = {{140, kCmdLoopStart}, {240, kCmdLoopEnd}};
  for (const auto& c : clicks) {
    QMenu* popup = RightClick(c.x);
    ASSERT_NE(popup, nullptr);
    const QList<QAction*> items = popup->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), QStringLiteral("ループ再生の開始位置を指定"));
    EXPECT_EQ(items[1]->text(), QStringLiteral("ループ再生の終了位置を指定"));
    (c.command == kCmdLoopStart ? items[0] : items[1])->trigger();
    popup->close();
  }
  EXPECT_EQ(View().Playback().LoopStartFrame(), 100);
  EXPECT_EQ(View().Playback().LoopEndFrame(), 200);
  // 100 and 200 frames of 512 bytes at 88200 bytes a second: 580 and 1160 ms.
  EXPECT_EQ(frame.DialogBar().ControlText(1045), QStringLiteral("LOOP  0:00.5～0:01.1"));

  Space();
  EXPECT_EQ(RightClick(140), nullptr) << "playing";
  Space();
}

// The keys of such tools, the 演奏 menu and the dialog bar all set the same
// speed and transposition; the bar shows what is in force, and a change
// while playing keeps playing.
TEST_F(PlaybackCommandsTest, SpeedAndTranspositionFromKeysMenuAndDialogBar) {
  LoadTone();
  CStretchControls& bar = frame.DialogBar().StretchControls();
  const auto key = [this](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(&frame, k, m);
  };
  key(Qt::Key_BracketLeft);
  key(Qt::Key_BracketLeft);
  key(Qt::Key_Minus);
  key(Qt::Key_Minus);
  key(Qt::Key_Equal);
  EXPECT_EQ(View().PlaybackStretch(), (StretchSettings{90, -1, 0}));
  EXPECT_EQ(bar.Speed()->value(), 90);
  EXPECT_EQ(bar.Semitones()->value(), -1);
  EXPECT_EQ(bar.Presets()->currentText(), QStringLiteral("90%"));
  EXPECT_TRUE(frame.Action(kCmdSpeed90)->isChecked());

  frame.RunCommand(kCmdSpeed67);
  frame.RunCommand(kCmdCentsUp);
  EXPECT_EQ(View().PlaybackStretch(), (StretchSettings{67, -1, 5}));
  key(Qt::Key_BracketRight);
  EXPECT_EQ(View().PlaybackStretch().speedPercent, 70.0);
  EXPECT_EQ(bar.Presets()->currentIndex(), -1) << "no preset is 70 %";

  Space();
  bar.Speed()->setValue(50);
  bar.Cents()->setValue(-20);
  EXPECT_EQ(View().PlaybackStretch(), (StretchSettings{50, -1, -20}));
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying);
  frame.RunCommand(kCmdStretchReset);
  EXPECT_TRUE(View().PlaybackStretch().IsBypass());
  EXPECT_EQ(bar.Speed()->value(), 100);
  EXPECT_EQ(bar.Cents()->value(), 0);
  Space();
}

TEST_F(PlaybackCommandsTest, StretchCommandsSitUnderThePlaybackMenu) {
  const struct {
    int id;
    const char* keys;
  } commands[] = {
      {kCmdSlower, "["}, {kCmdFaster, "]"}, {kCmdTransposeDown, "-"}, {kCmdTransposeUp, "="}};
  for (const auto& c : commands) {
    const CommandEntry* entry = FindCommand(c.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->menu, MenuPlace::kPlay) << c.id;
    EXPECT_EQ(frame.Action(c.id)->shortcut(), QKeySequence(QString::fromLatin1(c.keys))) << c.id;
  }
}

}  // namespace
}  // namespace velmio::ui

// The window's ways of moving in time: the wheel with Ctrl and Shift, the
// keys, the zoom toolbar, the loop keys and the ruler drag, F1 and its
// failure, Ctrl+Q.
#include <QMessageBox>
#include <QToolBar>
#include <QWheelEvent>

#include "FrameFixture.h"

namespace velmio::ui {
namespace {

class NavigationGesturesTest : public test::FrameFixture {
 protected:
  // Ten seconds of mono at 44.1 kHz: 1724 frames, wider than the window at
  // one and at two frames per column.
  void LoadTone() {
    const std::string path = dir.File("ten seconds.wav");
    test::WriteToneWav(path, 1, 44100, 10 * 44100);
    ASSERT_TRUE(Drop({QString::fromStdString(path)}));
    ASSERT_TRUE(WaitForResult());
    frame.UpdateCommandStates();
  }
  void Wheel(QPoint at, int delta, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(at, Viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Viewport(), &event);
  }
  int32_t ScrollX() { return frame.ViewWidget().GetScrollPosition().x; }
};

TEST_F(NavigationGesturesTest, CtrlWheelZoomsAtTheMouseAndShiftWheelMovesInTime) {
  LoadTone();
  View().OnHScroll(200);
  ASSERT_EQ(ScrollX(), 200);
  // Frame 300 is under x = 140; one notch out shows it at the same place.
  Wheel(QPoint(140, 100), -120, Qt::ControlModifier);
  EXPECT_EQ(View().ZoomStep(), -2);
  EXPECT_EQ(ScrollX(), 50);
  Wheel(QPoint(140, 100), 60, Qt::ControlModifier);
  EXPECT_EQ(View().ZoomStep(), -2) << "half a notch does nothing yet";
  Wheel(QPoint(140, 100), 60, Qt::ControlModifier);
  EXPECT_EQ(View().ZoomStep(), 1);
  EXPECT_EQ(ScrollX(), 200);

  const int32_t page = frame.ViewWidget().GetClientSize().width - 40;
  Wheel(QPoint(140, 100), -120, Qt::ShiftModifier);
  EXPECT_EQ(ScrollX(), 200 + page / 10) << "wheel down: later";
  const int32_t sy = frame.ViewWidget().GetScrollPosition().y;
  Wheel(QPoint(140, 100), -120, Qt::NoModifier);
  EXPECT_EQ(ScrollX(), 200 + page / 10) << "the plain wheel scrolls the pitch";
  EXPECT_GT(frame.ViewWidget().GetScrollPosition().y, sy);
}

TEST_F(NavigationGesturesTest, KeysAndTheZoomToolbar) {
  LoadTone();
  QTest::keyClick(&frame, Qt::Key_End);
  const int32_t end = ScrollX();
  EXPECT_GT(end, 0);
  QTest::keyClick(&frame, Qt::Key_Home);
  EXPECT_EQ(ScrollX(), 0);
  QTest::keyClick(&frame, Qt::Key_Right);
  EXPECT_EQ(ScrollX(), std::min(172, end)) << "one second";
  QTest::keyClick(&frame, Qt::Key_Left);
  EXPECT_EQ(ScrollX(), 0);

  auto* zoombar = frame.findChild<QToolBar*>(QStringLiteral("zoombar"));
  ASSERT_NE(zoombar, nullptr);
  auto* zoomIn = qobject_cast<QToolButton*>(zoombar->widgetForAction(frame.Action(kCmdZoomIn)));
  ASSERT_NE(zoomIn, nullptr);
  EXPECT_FALSE(frame.Action(kCmdZoomIn)->icon().isNull());
  QTest::mouseClick(zoomIn, Qt::LeftButton);
  QTest::mouseClick(zoomIn, Qt::LeftButton);
  EXPECT_EQ(View().ZoomStep(), 4);
  EXPECT_FALSE(zoomIn->isEnabled()) << "no closer zoom";
  QTest::keyClick(&frame, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(View().ZoomStep(), 1);
  QTest::keyClick(&frame, Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(View().ZoomStep(), -2);
}

TEST_F(NavigationGesturesTest, LoopPointsFromKeysWhilePlayingAndFromTheRuler) {
  LoadTone();
  QTest::keyClick(&frame, Qt::Key_A);
  EXPECT_FALSE(View().Playback().LoopEnabled()) << "A needs the loop on";

  // A drag across the ruler from x = 60 to 160 selects frames 20 ... 120 and
  // switches the loop on.
  QTest::mousePress(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 8));
  QTest::mouseMove(Viewport(), QPoint(120, 8));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(160, 8));
  EXPECT_TRUE(View().Playback().LoopEnabled());
  EXPECT_EQ(View().Playback().LoopStartFrame(), 20);
  EXPECT_EQ(View().Playback().LoopEndFrame(), 120);

  // B while playing: the end at the sound heard, and the play goes on.
  View().OnSetLoopEnd(40 + 800);
  frame.RunCommand(kCmdPlay);
  ASSERT_EQ(View().Playback().State(), PlayState::kPlaying);
  // 320 frames of 16-bit mono: a loop longer than the four queued blocks,
  // which a loop must be to play more than once.
  for (int i = 0; i < 20; ++i) waveOut.Advance(8192);
  QTest::keyClick(&frame, Qt::Key_B);
  EXPECT_EQ(View().Playback().LoopEndFrame(), 320 + 20);
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying);
  waveOut.Advance(10 * 512);
  QTest::keyClick(&frame, Qt::Key_A);
  EXPECT_EQ(View().Playback().LoopStartFrame(), 20 + 10) << "A from the restarted loop's start";
  EXPECT_EQ(View().Playback().State(), PlayState::kPlaying);
}

TEST_F(NavigationGesturesTest, HelpKeyAndAPageThatCannotOpen) {
  QUrl opened;
  frame.SetUrlOpener([&opened](const QUrl& url) { opened = url; });
  QTest::keyClick(&frame, Qt::Key_F1);
  EXPECT_EQ(opened, QUrl::fromLocalFile(QString::fromStdString(dir.File("help/velmio1.html"))));

  // The desktop's own opener on a page that is not there.
  ui::CMainFrame fresh{test::PathsIn(dir), &midi, waveOut};
  QString text;
  test::ModalAnswerer<QMessageBox> answer([&text](QMessageBox* box) {
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  fresh.RunCommand(kCmdHelp);
  ASSERT_TRUE(answer.Answered());
  EXPECT_TRUE(text.startsWith(QStringLiteral("ヘルプファイルを開けませんでした。"))) << text.toStdString();
}

TEST_F(NavigationGesturesTest, CtrlQQuits) {
  EXPECT_EQ(frame.Action(kCmdExit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
  QTest::keyClick(&frame, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(frame.isVisible());
}

}  // namespace
}  // namespace velmio::ui

// The view widget's side of the Host port: the scroll model with full 32-bit
// positions, and the notice that must be on screen before the event loop runs.
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "FrameFixture.h"

namespace velmio::ui {
namespace {

class ViewWidgetTest : public test::FrameFixture {};

TEST_F(ViewWidgetTest, ScrollModelReachesPositionsBeyond16Bits) {
  CViewWidget& widget = frame.ViewWidget();
  const ClientSize client = widget.GetClientSize();
  widget.SetScrollSizes(ScrollSizes{200000, 880, 560, 1, 88, 8});
  QScrollBar* h = widget.horizontalScrollBar();
  EXPECT_EQ(h->maximum(), 200000 - widget.GetClientSize().width);
  EXPECT_EQ(h->pageStep(), 560);
  EXPECT_EQ(h->singleStep(), 1);
  EXPECT_EQ(widget.verticalScrollBar()->pageStep(), 88);
  EXPECT_GT(client.width, 0);

  widget.ScrollTo({150000, 40});
  EXPECT_EQ(widget.GetScrollPosition().x, 150000);
  EXPECT_EQ(widget.GetScrollPosition().y, 40);
  // Dragging the thumb moves the view through its scroll handler.
  h->setSliderPosition(190000);
  EXPECT_EQ(widget.GetScrollPosition().x, 190000);
  // Beyond the end it stops at the last page, like the headless model.
  widget.ScrollTo({250000, 5000});
  EXPECT_EQ(widget.GetScrollPosition().x, 200000 - widget.GetClientSize().width);
  EXPECT_EQ(widget.GetScrollPosition().y, 880 - widget.GetClientSize().height);
}

// The open flow paints "File reading." and then works without returning to
// the event loop: the notice must already be on screen.
TEST_F(ViewWidgetTest, NoticeIsOnScreenAtOnceAndGoneWithTheNextPaint) {
  CViewWidget& widget = frame.ViewWidget();
  const QPoint origin = Viewport()->mapTo(&frame, QPoint(0, 0));
  const ClientSize client = widget.GetClientSize();
  const auto noticePixels = [&] {
    const QImage shot = frame.screen()->grabWindow(frame.winId()).toImage();
    const QPoint text = origin + QPoint(client.width / 2 - 50, client.height / 2 - 20);
    int yellow = 0;
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 100; ++x) {
        const QColor c = shot.pixelColor(text + QPoint(x, y));
        yellow += c.red() > 200 && c.green() > 200 && c.blue() < 100;  // the glyphs' strokes
      }
    }
    return yellow;
  };
  widget.ShowNotice("File reading.");
  EXPECT_GT(noticePixels(), 20);
  const QImage shot = frame.screen()->grabWindow(frame.winId()).toImage();
  EXPECT_EQ(shot.pixel(origin + QPoint(5, client.height - 5)) & 0xffffff, 0x808080u);

  widget.Invalidate();
  QApplication::processEvents();
  EXPECT_EQ(noticePixels(), 0);
}

// Work handed to the background keeps the window painting the notice, with
// its timers running, and returns its result once done.
TEST_F(ViewWidgetTest, BackgroundWorkKeepsTheWindowPaintingTheNotice) {
  CViewWidget& widget = frame.ViewWidget();
  widget.ShowNotice("File reading.");
  std::atomic<bool> release{false};
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (++ticks == 3) release.store(true);
  });
  ticker.start(10);
  bool cancelled = false;
  const bool finished = widget.RunWhileShowingNotice(
      [&] {
        while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      },
      [&] { cancelled = true; });
  EXPECT_TRUE(finished);
  EXPECT_FALSE(cancelled);
  EXPECT_GE(ticks, 3) << "the event loop ran while the work did";
}

// Quitting (the last window closed) ends the wait: the work is told to stop
// and waited for, and the caller hears that it did not finish.
TEST_F(ViewWidgetTest, QuittingCancelsBackgroundWork) {
  CViewWidget& widget = frame.ViewWidget();
  std::atomic<bool> stop{false};
  QTimer::singleShot(20, [] { QCoreApplication::exit(0); });
  const bool finished = widget.RunWhileShowingNotice(
      [&] {
        while (!stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      },
      [&] { stop.store(true); });
  EXPECT_FALSE(finished);
  EXPECT_TRUE(stop.load());
  // The quit stays in force until the application's loop runs once; the
  // later tests' dialogs need their loops back.
  QTimer::singleShot(0, [] { QCoreApplication::quit(); });
  QCoreApplication::exec();
}

}  // namespace
}  // namespace velmio::ui

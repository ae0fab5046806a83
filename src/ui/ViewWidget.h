#pragma once
// The scrolling view: the client area of the main window. Paints through
// CTestView::DrawView, forwards scroll bars, wheel, resize, hover, clicks and
// drops, and carries out what the view asks of the screen (the Host port).
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <map>

#include "view/Host.h"

class QTimer;

namespace velmio {
class CTestView;
}

namespace velmio::ui {

class ViewFrame;

class CViewWidget : public QAbstractScrollArea, public Host {
 public:
  CViewWidget(ViewFrame& frame, QWidget* parent = nullptr);
  ~CViewWidget() override;

  // The view whose picture this widget shows; null detaches (before the view goes).
  void Attach(CTestView* view);

  // --- Host ---
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;
  MessageAnswer AskQuestion(const std::string& text, const std::string& caption) override;
  std::optional<std::string> AskOpenPath(const std::string& filter,
                                         const std::string& defaultExtension) override;
  std::optional<std::string> AskSavePath(const std::string& filter,
                                         const std::string& defaultExtension) override;
  void SetStatusText(int pane, const std::string& text) override;
  void SetControlText(int controlId, const std::string& text) override;
  void SetLegendImage(const QImage& legend) override;
  int LegendHeight() const override;
  void SetWindowTitle(const std::string& title) override;
  void ShowNotice(const std::string& text) override;
  void Invalidate() override;
  void SetScrollSizes(const ScrollSizes& sizes) override;
  ScrollSizes GetScrollSizes() const override { return m_sizes; }
  ScrollPoint GetScrollPosition() const override;
  void ScrollTo(ScrollPoint position) override;
  ClientSize GetClientSize() const override;
  void StartTimer(int id, int milliseconds) override;
  void StopTimer(int id) override;
  int64_t ClockMilliseconds() const override { return m_clock.elapsed(); }
  void CommandStatesChanged() override;
  // Runs `work` on a thread of its own; meanwhile the view keeps painting the
  // notice and takes no mouse or keyboard input. When the application is told
  // to quit (the window was closed), `cancel` runs, the work is waited for
  // and the result is false.
  bool RunWhileShowingNotice(const std::function<void()>& work,
                             const std::function<void()>& cancel) override;
  void TempoDialogChanged(const TempoDialogControls& controls) override;

  // True while the timer of `id` runs (for the window's own checks).
  bool IsTimerActive(int id) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Ctrl+wheel zooms in time around the mouse; Shift+wheel and sideways
  // wheels move in time; the plain wheel scrolls the pitch as before.
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  std::optional<std::string> AskPath(bool save, const std::string& filter,
                                     const std::string& defaultExtension);
  void UpdateScrollBars();
  void DrawNotice(QPainter& painter);

  ViewFrame& m_frame;
  CTestView* m_view = nullptr;
  ScrollSizes m_sizes;
  std::map<int, QTimer*> m_timers;
  QElapsedTimer m_clock;
  QString m_notice;
  QString m_lastNotice;  // painted again while background work runs
  int m_rulerDragX = -1;     // client x where a drag across the time ruler began
  int m_wheelRemainder = 0;  // eighths of a degree not yet a whole notch
};

}  // namespace velmio::ui

#pragma once
// The port through which the view reaches the window around it: message
// boxes, file dialogs, the bars' texts, the scroll bars, timers and repaints.
// The window implements it with Qt widgets; velmio-cli with a headless host;
// tests with a host that records every call and answers from a script.
#include <QImage>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace velmio {

struct TempoDialogControls;

enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

// Scrolling view sizes in pixels: content, and the page and line steps of each bar.
struct ScrollSizes {
  int32_t contentWidth = 400;
  int32_t contentHeight = 200;
  int32_t pageX = 40;
  int32_t lineX = 4;
  int32_t pageY = 20;
  int32_t lineY = 2;
};

struct ScrollPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct ClientSize {
  int32_t width = 0;
  int32_t height = 0;
};

// Status bar panes and dialog-bar controls the view writes to.
constexpr int kStatusPaneMessage = 0;
constexpr int kStatusPanePosition = 1;
constexpr int kStatusPaneReadOut = 2;  // note, cents, frequency, time and level at the mouse
constexpr int kControlTime = 1035;
constexpr int kControlBar = 1037;
constexpr int kControlLegend = 1050;
constexpr int kControlLevelLow = 1051;
constexpr int kControlLevelHigh = 1052;
constexpr int kControlLoop = 1045;
constexpr int kControlVocalMode = 1046;

// Timer ids of the view.
constexpr int kTimerPlayback = 1;
constexpr int kTimerProgress = 2;
constexpr int kTimerLegend = 3;
constexpr int kTimerConversion = 4;  // the voice-conversion dialog's ratio watcher

class Host {
 public:
  virtual ~Host() = default;

  // Modal message box with the program's caption; `\r\n` in text is a line break.
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;
  // A Yes/No question with a caption of its own; without one, the program's.
  virtual MessageAnswer AskQuestion(const std::string& text, const std::string& caption) {
    (void)caption;
    return ShowMessage(text, MessageButtons::kYesNo);
  }
  // File dialogs; filter in the "description|patterns|...||" form. Nothing on cancel.
  virtual std::optional<std::string> AskOpenPath(const std::string& filter,
                                                 const std::string& defaultExtension) = 0;
  virtual std::optional<std::string> AskSavePath(const std::string& filter,
                                                 const std::string& defaultExtension) = 0;

  virtual void SetStatusText(int pane, const std::string& text) = 0;
  virtual void SetControlText(int controlId, const std::string& text) = 0;
  virtual void SetLegendImage(const QImage& legend) = 0;
  virtual int LegendHeight() const = 0;
  virtual void SetWindowTitle(const std::string& title) = 0;

  // Paints the client area grey with `text` in yellow near its centre, now,
  // before the synchronous work that follows (the next paint replaces it).
  virtual void ShowNotice(const std::string& text) = 0;
  virtual void Invalidate() = 0;

  virtual void SetScrollSizes(const ScrollSizes& sizes) = 0;
  virtual ScrollSizes GetScrollSizes() const = 0;
  virtual ScrollPoint GetScrollPosition() const = 0;
  virtual void ScrollTo(ScrollPoint position) = 0;
  virtual ClientSize GetClientSize() const = 0;

  virtual void StartTimer(int id, int milliseconds) = 0;
  virtual void StopTimer(int id) = 0;
  // Milliseconds since the program started.
  virtual int64_t ClockMilliseconds() const = 0;

  // Something the command table's enable and check rules read has changed.
  virtual void CommandStatesChanged() = 0;

  // Runs `work` (file reading, decoding) and returns when it has returned.
  // A window runs it on a thread of its own and keeps painting the notice
  // shown last meanwhile; if the user closes the window then, `cancel` runs
  // on the UI thread so that the work ends soon, and the result is false.
  // Without a window the work simply runs here. UI thread.
  virtual bool RunWhileShowingNotice(const std::function<void()>& work,
                                     const std::function<void()>& cancel) {
    (void)cancel;
    work();
    return true;
  }
  // The tempo dialog's controls or its visibility changed: show them (a
  // dialog becoming visible comes to the top). A host without the dialog
  // ignores it.
  virtual void TempoDialogChanged(const TempoDialogControls& /*controls*/) {}
};

}  // namespace velmio

#pragma once
// The host of the view in velmio-cli: no window; messages and progress go to
// stderr, the completion line to stdout, and the view's timers run on the
// application's event loop as they do in the window.
#include <QTimer>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "view/HeadlessHost.h"

namespace velmio::cli {

class CliHost : public HeadlessHost {
 public:
  using HeadlessHost::HeadlessHost;

  // The completion line goes to stdout unless a verb prints a result of its own there.
  void SetCompletionToStdout(bool toStdout) { m_completionToStdout = toStdout; }
  // Where the timers' ticks go (the view's OnTimer).
  void SetTimerHandler(std::function<void(int id)> handler) { m_onTimer = std::move(handler); }

  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return HeadlessHost::ShowMessage(text, buttons);
  }
  void SetStatusText(int pane, const std::string& text) override {
    if (pane != kStatusPaneMessage || text.empty()) return;
    // The completion line is the result; everything else is progress.
    std::FILE* stream = m_completionToStdout && text.rfind("処理時間", 0) == 0 ? stdout : stderr;
    std::fprintf(stream, "%s\n", text.c_str());
    std::fflush(stream);
  }
  void StartTimer(int id, int milliseconds) override {
    std::unique_ptr<QTimer>& timer = m_timers[id];
    if (!timer) {
      timer = std::make_unique<QTimer>();
      QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
        if (m_onTimer) m_onTimer(id);
      });
    }
    timer->start(milliseconds);
  }
  void StopTimer(int id) override {
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) found->second->stop();
  }

 private:
  bool m_completionToStdout = true;
  std::function<void(int id)> m_onTimer;
  std::map<int, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace velmio::cli

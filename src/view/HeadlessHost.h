#pragma once
// A host without a window: a scroll model, a client size and a steady clock,
// and nothing shown. velmio-cli runs the view's flows through it; the tests'
// recording host builds on it.
#include <chrono>

#include "view/Host.h"

namespace velmio {

class HeadlessHost : public Host {
 public:
  explicit HeadlessHost(ClientSize client = {800, 600}) : m_client(client) {}

  MessageAnswer ShowMessage(const std::string&, MessageButtons buttons) override {
    return buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kNo;
  }
  std::optional<std::string> AskOpenPath(const std::string&, const std::string&) override {
    return {};
  }
  std::optional<std::string> AskSavePath(const std::string&, const std::string&) override {
    return {};
  }
  void SetStatusText(int, const std::string&) override {}
  void SetControlText(int, const std::string&) override {}
  void SetLegendImage(const QImage&) override {}
  int LegendHeight() const override { return 8; }
  void SetWindowTitle(const std::string&) override {}
  void ShowNotice(const std::string&) override {}
  void Invalidate() override {}

  void SetScrollSizes(const ScrollSizes& sizes) override {
    m_sizes = sizes;
    ScrollTo(m_position);
  }
  ScrollSizes GetScrollSizes() const override { return m_sizes; }
  ScrollPoint GetScrollPosition() const override { return m_position; }
  // Clamps like a scroll bar: the last page ends at the content's edge.
  void ScrollTo(ScrollPoint p) override {
    m_position.x = Clamp(p.x, m_sizes.contentWidth - m_client.width);
    m_position.y = Clamp(p.y, m_sizes.contentHeight - m_client.height);
  }
  ClientSize GetClientSize() const override { return m_client; }
  void SetClientSize(ClientSize client) {
    m_client = client;
    ScrollTo(m_position);
  }

  void StartTimer(int, int) override {}
  void StopTimer(int) override {}
  int64_t ClockMilliseconds() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 m_start)
        .count();
  }
  void CommandStatesChanged() override {}

 private:
  static int32_t Clamp(int32_t value, int32_t maximum) {
    if (value > maximum) value = maximum;
    return value < 0 ? 0 : value;
  }

  ClientSize m_client;
  ScrollSizes m_sizes;
  ScrollPoint m_position;
  std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

}  // namespace velmio

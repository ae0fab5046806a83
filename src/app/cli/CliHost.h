#pragma once
// The host of the view in velmio-cli: no window; messages and progress go to
// stderr, the completion line to stdout.
#include <cstdio>
#include <string>

#include "view/HeadlessHost.h"

namespace velmio::cli {

class CliHost : public HeadlessHost {
 public:
  using HeadlessHost::HeadlessHost;

  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return HeadlessHost::ShowMessage(text, buttons);
  }
  void SetStatusText(int pane, const std::string& text) override {
    if (pane != kStatusPaneMessage || text.empty()) return;
    // The completion line is the result; everything else is progress.
    std::FILE* stream = text.rfind("処理時間", 0) == 0 ? stdout : stderr;
    std::fprintf(stream, "%s\n", text.c_str());
    std::fflush(stream);
  }
};

}  // namespace velmio::cli

#pragma once
// A host for the view's flow tests: the headless scroll model, plus a record
// of everything the view asks of the window, answers to dialogs and questions
// taken from a script, and a clock that moves only when the test moves it.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "view/HeadlessHost.h"
#include "view/TempoDialogState.h"

namespace velmio::test {

class RecordingHost : public HeadlessHost {
 public:
  struct Message {
    std::string text;
    MessageButtons buttons;
  };
  struct FileDialog {
    bool save = false;
    std::string filter;
    std::string defaultExtension;
  };
  struct TimerCall {
    int id = 0;
    int milliseconds = 0;  // 0 for a stop
    bool start = false;
  };

  explicit RecordingHost(ClientSize client = {800, 600}) : HeadlessHost(client) {}

  // --- Script ---
  // Each dialog takes the next answer of its queue; nullopt is a cancel.
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::optional<std::string>> saveAnswers;
  // Yes/No questions take the next answer; OK boxes never consume one.
  std::deque<MessageAnswer> questionAnswers;
  int64_t clock = 0;

  // --- Record ---
  std::vector<Message> messages;
  std::vector<FileDialog> dialogs;
  std::map<int, std::vector<std::string>> statusTexts;   // by pane, in order
  std::map<int, std::vector<std::string>> controlTexts;  // by control id, in order
  std::vector<std::string> titles;
  std::vector<std::string> notices;
  int invalidations = 0;
  std::vector<ScrollPoint> scrollRequests;
  std::vector<ScrollSizes> scrollSizeRequests;
  std::vector<TimerCall> timerCalls;
  std::set<int> runningTimers;
  std::vector<QImage> legends;
  int commandStateChanges = 0;
  std::vector<TempoDialogControls> tempoDialogs;  // every state the dialog was shown in

  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override {
    messages.push_back({text, buttons});
    if (buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    if (questionAnswers.empty()) {
      ADD_FAILURE() << "unscripted question: " << text;
      return MessageAnswer::kNo;
    }
    const MessageAnswer answer = questionAnswers.front();
    questionAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> AskOpenPath(const std::string& filter,
                                         const std::string& defaultExtension) override {
    dialogs.push_back({false, filter, defaultExtension});
    return Next(openAnswers, "open");
  }
  std::optional<std::string> AskSavePath(const std::string& filter,
                                         const std::string& defaultExtension) override {
    dialogs.push_back({true, filter, defaultExtension});
    return Next(saveAnswers, "save");
  }
  void SetStatusText(int pane, const std::string& text) override {
    statusTexts[pane].push_back(text);
  }
  void SetControlText(int controlId, const std::string& text) override {
    controlTexts[controlId].push_back(text);
  }
  void SetLegendImage(const QImage& legend) override { legends.push_back(legend); }
  void SetWindowTitle(const std::string& title) override { titles.push_back(title); }
  void ShowNotice(const std::string& text) override { notices.push_back(text); }
  void Invalidate() override { ++invalidations; }
  void SetScrollSizes(const ScrollSizes& sizes) override {
    scrollSizeRequests.push_back(sizes);
    HeadlessHost::SetScrollSizes(sizes);
  }
  void ScrollTo(ScrollPoint position) override {
    scrollRequests.push_back(position);
    HeadlessHost::ScrollTo(position);
  }
  void StartTimer(int id, int milliseconds) override {
    timerCalls.push_back({id, milliseconds, true});
    runningTimers.insert(id);
  }
  void StopTimer(int id) override {
    timerCalls.push_back({id, 0, false});
    runningTimers.erase(id);
  }
  int64_t ClockMilliseconds() const override { return clock; }
  void CommandStatesChanged() override { ++commandStateChanges; }
  void TempoDialogChanged(const TempoDialogControls& controls) override {
    tempoDialogs.push_back(controls);
  }

  // --- Queries ---
  // The last text of a pane or control, or nullopt when never written.
  std::optional<std::string> LastStatus(int pane) const { return Last(statusTexts, pane); }
  std::optional<std::string> LastControl(int id) const { return Last(controlTexts, id); }
  bool TimerRunning(int id) const { return runningTimers.count(id) != 0; }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(m.text);
    return texts;
  }

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue,
                                         const char* kind) {
    if (queue.empty()) {
      ADD_FAILURE() << "unscripted " << kind << " dialog";
      return std::nullopt;
    }
    std::optional<std::string> answer = queue.front();
    queue.pop_front();
    return answer;
  }
  static std::optional<std::string> Last(const std::map<int, std::vector<std::string>>& texts,
                                         int key) {
    const auto found = texts.find(key);
    if (found == texts.end() || found->second.empty()) return std::nullopt;
    return found->second.back();
  }
};

}  // namespace velmio::test

#pragma once
// The command table: every command's menu item, toolbar place, accelerator,
// prompt and tool tip, and the rule that enables and checks it. The rules read
// a snapshot of the program's state, so they can be evaluated (and tested)
// without a window.
#include <span>
#include <string>

#include "view/ViewStatus.h"

namespace velmio::ui {

enum class MenuPlace { kNone, kFile, kView, kPlay, kHelp, kLoopPopup };

struct CommandEntry {
  int id;
  MenuPlace menu;
  const char* menuText;  // nullptr: no menu item
  const char* prompt;    // "prompt\ntool tip", or the prompt alone
  int toolbarPosition;   // 1 = leftmost button, 0 = not on the toolbar
  const char* shortcut;  // QKeySequence text, nullptr for none
  bool checkable;
  bool separatorBefore;  // in the menu
};

// All commands, menus in their order; toolbar positions separately.
std::span<const CommandEntry> CommandEntries();
// The entry of `id`, or nullptr.
const CommandEntry* FindCommand(int id);
// Toolbar buttons from left to right; 0 marks a separator.
std::span<const int> ToolbarLayout();

// The two parts of a prompt string: the status-bar prompt, and the tool tip
// after the line break (empty when there is none).
struct PromptParts {
  std::string prompt;
  std::string toolTip;
};
PromptParts SplitPrompt(const char* text);

// What the rules read: the view's status and the tool windows'. Filled on
// the UI thread.
struct CommandContext : ViewStatus {
  bool voiceConversionOpen = false;
  bool eqVisible = false;
};

struct CommandStatus {
  bool enabled = false;
  bool checked = false;
};

// No analysis runs and no result waits for the UI thread.
bool IsIdle(const CommandContext& c);

// The enable and check rule of command `id`. Unknown ids are disabled.
CommandStatus EvaluateRule(int id, const CommandContext& c);

}  // namespace velmio::ui

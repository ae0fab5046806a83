// The enable and check rules of the command table in the states the user
// meets: nothing loaded, analysing, a result on screen, playing, paused, the
// voice-conversion window open, single-voice mode.
#include <gtest/gtest.h>

#include <set>

#include "ui/CommandIds.h"
#include "ui/CommandTable.h"

namespace velmio::ui {
namespace {

CommandContext NothingLoaded() {
  return {};
}

CommandContext Analysing(int state, int playState) {
  CommandContext c;
  c.analysisState = static_cast<AnalysisState>(state);
  c.playState = static_cast<PlayState>(playState);
  return c;
}

CommandContext ResultShown(int playState = 0) {
  CommandContext c;
  c.analysisState = AnalysisState::kTakenOver;
  c.playState = static_cast<PlayState>(playState);
  c.hasDisplayMatrix = true;
  c.frameCount = 176;
  return c;
}

CommandContext VoiceConversionOpen() {
  CommandContext c = ResultShown();
  c.voiceConversionOpen = true;
  c.pitchEnabled = true;
  return c;
}

// Enabled whatever the state.
const std::set<int> kAlways = {
    kCmdHarmonics, kCmdEqualizer, kCmdConditions, kCmdWaveform, kCmdGrid, kCmdHelp, kCmdAbout,
    kCmdExit, kCmdLoopStart, kCmdLoopEnd, kCmdNewDocument, kCmdPrint,
    // at one frame per column the zoom goes both ways
    kCmdZoomIn, kCmdZoomOut,
    // speed and transposition can be set at any time
    kCmdSlower, kCmdFaster, kCmdSpeed50, kCmdSpeed67, kCmdSpeed75, kCmdSpeed80, kCmdSpeed90,
    kCmdSpeed100, kCmdTransposeDown, kCmdTransposeUp, kCmdCentsDown, kCmdCentsUp, kCmdStretchReset};
const std::set<int> kLevels = {kCmdGainUp, kCmdGainDown, kCmdRangeUp, kCmdRangeDown};

std::set<int> Union(std::initializer_list<std::set<int>> sets) {
  std::set<int> all;
  for (const auto& s : sets) all.insert(s.begin(), s.end());
  return all;
}

struct EnableCase {
  const char* name;
  CommandContext context;
  std::set<int> enabled;  // every other command is disabled
};

class EnableRules : public testing::TestWithParam<EnableCase> {};

TEST_P(EnableRules, EnableExactlyTheseCommands) {
  const EnableCase& c = GetParam();
  for (const CommandEntry& entry : CommandEntries()) {
    EXPECT_EQ(EvaluateRule(entry.id, c.context).enabled, c.enabled.count(entry.id) == 1)
        << c.name << ": command " << entry.id;
  }
}

const std::set<int> kOpenCommands = {kCmdFileOpen, kCmdOpenSingleVoice, kCmdOpenAnalysisData};

INSTANTIATE_TEST_SUITE_P(
    States, EnableRules,
    testing::Values(
        // No file: opening, settings and levels work; nothing plays, no bars, nothing to save.
        EnableCase{"nothing loaded", NothingLoaded(),
                   Union({kAlways, kLevels, kOpenCommands, {kCmdSettings}})},
        // The first analysis: everything that would touch the data or the levels waits.
        EnableCase{"first transform", Analysing(1, -1), kAlways},
        EnableCase{"formant extraction", Analysing(5, -1), kAlways},
        EnableCase{"pitch detection", Analysing(4, -1), kAlways},
        EnableCase{"result waiting for take-over", Analysing(2, -1), kAlways},
        // A second file analysed after a first one played: the playback rules still follow P.
        EnableCase{"re-analysis while stopped", Analysing(1, 0),
                   Union({kAlways, {kCmdPlay, kCmdRewind, kCmdLoop}})},
        EnableCase{"after take-over", ResultShown(),
                   Union({kAlways,
                          kLevels,
                          kOpenCommands,
                          {kCmdSaveAnalysisData, kCmdSettings, kCmdBarDisplay, kCmdPlay, kCmdRewind,
                           kCmdLoop}})},
        EnableCase{"playing", ResultShown(1),
                   Union({kAlways, kLevels, {kCmdBarDisplay, kCmdStop, kCmdPause}})},
        EnableCase{"paused", ResultShown(2),
                   Union({kAlways, kLevels, {kCmdBarDisplay, kCmdPlay, kCmdStop}})},
        EnableCase{"last block queued", ResultShown(3),
                   Union({kAlways, kLevels, {kCmdBarDisplay}})},
        // The voice-conversion window blocks opening but not saving; single voice enables pitch.
        EnableCase{"voice conversion open", VoiceConversionOpen(),
                   Union({kAlways,
                          kLevels,
                          {kCmdSaveAnalysisData, kCmdSettings, kCmdBarDisplay, kCmdPitch, kCmdPlay,
                           kCmdRewind, kCmdLoop}})}),
    [](const testing::TestParamInfo<EnableCase>& info) {
      std::string name = info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      }
      return name;
    });

TEST(SaveRule, NeedsAMatrixWithFrames) {
  CommandContext c = ResultShown();
  c.frameCount = 0;
  EXPECT_FALSE(EvaluateRule(kCmdSaveAnalysisData, c).enabled);
  c = ResultShown();
  c.hasDisplayMatrix = false;
  EXPECT_FALSE(EvaluateRule(kCmdSaveAnalysisData, c).enabled);
}

// Each toggle's check mark follows its own flag and no other.
TEST(CheckRules, TogglesFollowTheirFlags) {
  struct Toggle {
    int id;
    bool CommandContext::*flag;
  };
  const Toggle toggles[] = {{kCmdHarmonics, &CommandContext::showHarmonics},
                            {kCmdBarDisplay, &CommandContext::barDisplay},
                            {kCmdPitch, &CommandContext::showPitch},
                            {kCmdEqualizer, &CommandContext::eqVisible},
                            {kCmdWaveform, &CommandContext::showWaveform},
                            {kCmdGrid, &CommandContext::frequencyGrid},
                            {kCmdLoop, &CommandContext::loopEnabled}};
  for (const Toggle& on : toggles) {
    CommandContext c = ResultShown();
    c.*(on.flag) = true;
    for (const Toggle& t : toggles) {
      EXPECT_EQ(EvaluateRule(t.id, c).checked, t.id == on.id) << on.id << " set, reading " << t.id;
    }
  }
}

TEST(CheckRules, PitchIsCheckedByItsFlagButEnabledOnlyInSingleVoiceMode) {
  CommandContext c = ResultShown();
  c.showPitch = true;
  EXPECT_FALSE(EvaluateRule(kCmdPitch, c).enabled);
  c.pitchEnabled = true;
  EXPECT_TRUE(EvaluateRule(kCmdPitch, c).enabled);
  EXPECT_TRUE(EvaluateRule(kCmdPitch, c).checked);
}

TEST(CommandRules, ZoomCommandsStopAtTheEndsOfTheZoom) {
  struct Case {
    int step;
    bool in, out, reset;
  };
  const Case cases[] = {{1, true, true, false},
                        {-32, true, false, true},
                        {4, false, true, true},
                        {-2, true, true, true}};
  for (const Case& c : cases) {
    CommandContext context;
    context.zoomStep = c.step;
    EXPECT_EQ(EvaluateRule(kCmdZoomIn, context).enabled, c.in) << c.step;
    EXPECT_EQ(EvaluateRule(kCmdZoomOut, context).enabled, c.out) << c.step;
    EXPECT_EQ(EvaluateRule(kCmdZoomReset, context).enabled, c.reset) << c.step;
  }
}

TEST(CheckRules, TheSpeedPresetInForceIsChecked) {
  CommandContext c = ResultShown(1);
  c.speedPercent = 67.0;
  for (int id : {kCmdSpeed50, kCmdSpeed67, kCmdSpeed75, kCmdSpeed80, kCmdSpeed90, kCmdSpeed100})
    EXPECT_EQ(EvaluateRule(id, c).checked, id == kCmdSpeed67) << id;
  c.speedPercent = 68.0;
  EXPECT_FALSE(EvaluateRule(kCmdSpeed67, c).checked);
}

// The toolbar holds the 21 buttons in their order, with the separators between the groups.
TEST(CommandTable, ToolbarOrderAndEntries) {
  const std::vector<int> expected = {57601, 32829, 32801, 32798, 0,     32831, 57670, 0,     32771,
                                     32772, 32773, 32823, 0,     32785, 32786, 32790, 32792, 0,
                                     32809, 32805, 32827, 32836, 32814, 32841, 32803};
  const auto layout = ToolbarLayout();
  EXPECT_EQ(std::vector<int>(layout.begin(), layout.end()), expected);
  int position = 0;
  for (int id : layout) {
    if (id == 0) continue;
    const CommandEntry* entry = FindCommand(id);
    ASSERT_NE(entry, nullptr) << id;
    EXPECT_EQ(entry->toolbarPosition, ++position) << id;
  }
}

TEST(CommandTable, PromptAndToolTipSplitAtTheLineBreak) {
  const PromptParts open = SplitPrompt(FindCommand(kCmdFileOpen)->prompt);
  EXPECT_EQ(open.prompt, "Wavファイルを開いて周波数解析を行う");
  EXPECT_EQ(open.toolTip, ".wavを開く");
  // Every prompt with a second part has it as the tool tip; none shows a
  // stray separator in the status bar.
  const PromptParts exit = SplitPrompt(FindCommand(kCmdExit)->prompt);
  EXPECT_EQ(exit.prompt, "アプリケーションを終了する");
  EXPECT_EQ(exit.toolTip, "終了");
  for (const CommandEntry& entry : CommandEntries()) {
    const PromptParts parts = SplitPrompt(entry.prompt);
    EXPECT_EQ(parts.prompt.find('\\'), std::string::npos) << entry.prompt;
  }
}

}  // namespace
}  // namespace velmio::ui

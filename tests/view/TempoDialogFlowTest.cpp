// The bar display and the tempo dialog's flows on an analysed click track,
// headless: what the dialog shows, what OK, Cancel and 推定 store, and what
// the grid and the read-outs then show.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewFlowSupport.h"

namespace velmio::test {
namespace {

// A short noise burst every half second from 0.25 s, mono 16-bit 44.1 kHz.
std::string ClickWav(double seconds) {
  const auto frames = static_cast<std::size_t>(44100 * seconds);
  std::string bytes(frames * 2, '\0');
  std::mt19937 random(7);
  std::uniform_int_distribution<int> noise(-12000, 12000);
  for (double at = 0.25; at + 0.02 < seconds; at += 0.5) {
    const auto start = static_cast<std::size_t>(at * 44100);
    for (std::size_t i = 0; i < 400; ++i) {
      const auto v = static_cast<int16_t>(noise(random) * std::exp(-double(i) / 90.0));
      bytes[2 * (start + i)] = static_cast<char>(v & 0xff);
      bytes[2 * (start + i) + 1] = static_cast<char>((v >> 8) & 0xff);
    }
  }
  return WavImage(Pcm(1, 44100, 16), bytes);
}

class TempoDialogFlow : public ViewFlowTest {
 protected:
  void OpenClicks() { OpenAndFinish(dir.Write("clicks.wav", ClickWav(8.0))); }

  // The user types into the dialog.
  void Type(const std::string& tempo, const std::string& start, int32_t beatsIndex,
            int32_t unitIndex) {
    TempoDialogControls typed = view->TempoDialog();
    typed.tempoText = tempo;
    typed.startText = start;
    typed.beatsPerBarIndex = beatsIndex;
    typed.beatUnitIndex = unitIndex;
    view->EditTempoDialog(typed);
  }
};

TEST_F(TempoDialogFlow, NothingHappensWithoutAnAnalysis) {
  view->OnBarDisplay();
  EXPECT_FALSE(view->Status().barDisplay);
  EXPECT_TRUE(host.tempoDialogs.empty());
}

TEST_F(TempoDialogFlow, SwitchingOnEstimatesAndOkDrawsTheGrid) {
  OpenClicks();
  view->OnBarDisplay();
  EXPECT_TRUE(view->Status().barDisplay);
  ASSERT_FALSE(host.tempoDialogs.empty());
  const TempoDialogControls& shown = host.tempoDialogs.back();
  EXPECT_TRUE(shown.visible);
  EXPECT_EQ(shown.message, "推定値です。適宜修正して下さい。");
  const TempoProposal proposal = view->ProposeTempo();
  EXPECT_NEAR(proposal.tempo, 120, 6);  // 8 s: about 5 beats per minute a bin
  EXPECT_EQ(shown.tempoText, std::to_string(proposal.tempo));
  EXPECT_EQ(shown.startText, std::to_string(proposal.startMs));
  EXPECT_EQ(shown.beatsPerBarIndex, proposal.beatsPerBarIndex);
  // Nothing is stored until OK: the grid still counts seconds.
  EXPECT_FALSE(view->Tempo().IsSet());

  Type("120", "500", 2, 1);
  const int invalidations = host.invalidations;
  view->OnTempoOk();
  EXPECT_EQ(view->Tempo().tempo, 120);
  EXPECT_EQ(view->Tempo().startMs, 500);
  EXPECT_EQ(view->Tempo().beatsPerBar, 4);
  EXPECT_EQ(view->Tempo().beatUnit, 4);
  EXPECT_FALSE(host.tempoDialogs.back().visible);
  EXPECT_TRUE(view->Status().barDisplay);  // hiding the dialog keeps the grid
  EXPECT_GT(host.invalidations, invalidations);
  // Position 0 lies one beat before the start: beat -1 truncates to bar 0,
  // beat -1; the 8 s end is 15 beats after it, bar 3 beat 3.
  EXPECT_EQ(host.LastControl(kControlBar), "小節   0:-1 / 3: 3");
  const std::string report = view->AnalysisConditionsText();
  EXPECT_NE(report.find("テンポ 120   拍子 4 / 4   開始時刻 500 ms\n\n"), std::string::npos);
}

TEST_F(TempoDialogFlow, SwitchingOnAgainShowsTheStoredValues) {
  OpenClicks();
  view->OnBarDisplay();
  Type("96", "250", 1, 1);
  view->OnTempoOk();
  view->OnBarDisplay();
  EXPECT_FALSE(view->Status().barDisplay);
  EXPECT_FALSE(host.tempoDialogs.back().visible);
  EXPECT_EQ(host.LastControl(kControlBar), "");

  Type("1", "2", 0, 0);  // edits left behind in the hidden dialog
  view->OnBarDisplay();
  const TempoDialogControls& shown = host.tempoDialogs.back();
  EXPECT_TRUE(shown.visible);
  EXPECT_EQ(shown.message, "以前の設定値を表示しています。");
  EXPECT_EQ(shown.tempoText, "96");
  EXPECT_EQ(shown.startText, "250");
  EXPECT_EQ(shown.beatsPerBarIndex, 1);
  EXPECT_EQ(shown.beatUnitIndex, 1);
}

TEST_F(TempoDialogFlow, MoreBeatsThanTheUnitIsRefusedAndNothingIsStored) {
  OpenClicks();
  view->OnBarDisplay();
  Type("100", "0", 2, 1);
  view->OnTempoOk();
  view->OnBarDisplay();
  view->OnBarDisplay();
  Type("150", "40", 3, 1);  // 6 / 4
  host.messages.clear();
  view->OnTempoOk();
  ASSERT_EQ(host.MessageTexts(), std::vector<std::string>{"エラー：　分子＞分母"});
  EXPECT_EQ(host.messages[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(view->Tempo().tempo, 100);
  EXPECT_EQ(view->Tempo().beatsPerBar, 4);
  EXPECT_TRUE(view->TempoDialog().visible);
}

TEST_F(TempoDialogFlow, CancelPutsTheStoredValuesBack) {
  OpenClicks();
  view->OnBarDisplay();
  Type("132", "10", 0, 2);
  view->OnTempoOk();
  view->OnBarDisplay();
  view->OnBarDisplay();
  Type("60", "999", 3, 0);
  view->OnTempoCancel();
  EXPECT_FALSE(host.tempoDialogs.back().visible);
  EXPECT_EQ(view->Tempo().tempo, 132);
  const TempoDialogControls& shown = view->TempoDialog();
  EXPECT_EQ(shown.tempoText, "132");
  EXPECT_EQ(shown.startText, "10");
  EXPECT_EQ(shown.beatsPerBarIndex, 0);
  EXPECT_EQ(shown.beatUnitIndex, 2);
}

TEST_F(TempoDialogFlow, EstimateRewritesTheProposalButStoresNothing) {
  OpenClicks();
  view->OnBarDisplay();
  Type("77", "3", 3, 2);
  view->OnTempoEstimate();
  const TempoProposal proposal = view->ProposeTempo();
  const TempoDialogControls& shown = host.tempoDialogs.back();
  EXPECT_EQ(shown.tempoText, std::to_string(proposal.tempo));
  EXPECT_EQ(shown.startText, std::to_string(proposal.startMs));
  EXPECT_EQ(shown.beatsPerBarIndex, proposal.beatsPerBarIndex);
  EXPECT_EQ(shown.beatUnitIndex, 2);  // the unit is not estimated
  EXPECT_EQ(shown.message, "推定値です。適宜修正して下さい。");
  EXPECT_FALSE(view->Tempo().IsSet());
}

TEST_F(TempoDialogFlow, EstimateIsIgnoredWhileAnotherAnalysisRuns) {
  OpenClicks();
  view->OnBarDisplay();
  const std::size_t shownBefore = host.tempoDialogs.size();
  ViewProbe::SetAnalysisState(*view, AnalysisState::kTransform);
  view->OnTempoEstimate();
  view->OnBarDisplay();
  EXPECT_EQ(host.tempoDialogs.size(), shownBefore);
  ViewProbe::SetAnalysisState(*view, AnalysisState::kTakenOver);
}

TEST_F(TempoDialogFlow, OpeningAnotherRecordingForgetsTheTempo) {
  OpenClicks();
  view->OnBarDisplay();
  Type("120", "0", 2, 1);
  view->OnTempoOk();
  OpenClicks();
  EXPECT_FALSE(view->Tempo().IsSet());
  EXPECT_FALSE(view->Status().barDisplay);  // the new result comes up with seconds
  EXPECT_NE(view->AnalysisConditionsText().find("テンポ,拍子,開始時刻：未設定"), std::string::npos);
  view->OnBarDisplay();
  EXPECT_EQ(host.tempoDialogs.back().message, "推定値です。適宜修正して下さい。");
}

}  // namespace
}  // namespace velmio::test

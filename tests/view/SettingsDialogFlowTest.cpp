// What OK in the settings dialog does to the view: a change of any value the
// analysis depends on discards the analysis with the re-read message and
// rebuilds the kernel bank; display and instrument changes keep it.
#include <functional>

#include "ViewFlowSupport.h"
#include "view/SettingsDialogValues.h"

namespace velmio::test {
namespace {

constexpr char kRereadMessage[] = "表示条件が変更されたので再度*.wavファイルを読み直して下さい。";

class SettingsDialogFlowTest : public ViewFlowTest {};

struct ChangeCase {
  const char* name;
  std::function<void(SettingsDialogValues&)> change;
  bool discards;
};

TEST_F(SettingsDialogFlowTest, AnalysisValuesDiscardTheAnalysisOthersKeepIt) {
  const std::vector<ChangeCase> cases = {
      {"nothing", [](SettingsDialogValues&) {}, false},
      {"harmonics", [](SettingsDialogValues& v) { v.m_harmonicsCount = 3; }, false},
      {"colour", [](SettingsDialogValues& v) { v.m_colorMap = 1 - v.m_colorMap; }, false},
      {"instrument", [](SettingsDialogValues& v) { v.m_midiInstrument = 25; }, false},
      {"decoder", [](SettingsDialogValues& v) { v.m_decoderPath = "/opt/EcoDecoTooL.exe"; }, false},
      {"low note", [](SettingsDialogValues& v) { v.m_lowNote = 24; }, true},
      {"high note", [](SettingsDialogValues& v) { v.m_highNote = 96; }, true},
      {"A4", [](SettingsDialogValues& v) { v.m_a4Frequency = 442; }, true},
      {"resolution", [](SettingsDialogValues& v) { v.m_binsPerSemitone = 2; }, true},
      {"window", [](SettingsDialogValues& v) { v.m_windowMode = 1 - v.m_windowMode; }, true},
      {"vocal mode", [](SettingsDialogValues& v) { v.m_vocalCutMode = 1; }, true},
      {"vocal lowest note", [](SettingsDialogValues& v) { v.m_vocalLowestNote = 5; }, true},
      {"formants", [](SettingsDialogValues& v) { v.m_formantEnabled = 1; }, true},
      {"formant sensitivity", [](SettingsDialogValues& v) { v.m_formantSensitivity = 2; }, true},
  };
  const std::string wav = WriteTone("take.wav", 1, 44100, 16, 0.3);
  for (const ChangeCase& c : cases) {
    SCOPED_TRACE(c.name);
    view = MakeView();
    OpenAndFinish(wav);
    host.messages.clear();
    SettingsDialogValues v = view->SettingsForDialog();
    c.change(v);
    view->ApplySettingsDialog(v);

    EXPECT_EQ(host.MessageTexts(),
              c.discards ? std::vector<std::string>{kRereadMessage} : std::vector<std::string>{});
    EXPECT_EQ(view->CurrentAnalysis().State(),
              c.discards ? AnalysisState::kIdle : AnalysisState::kTakenOver);
    EXPECT_EQ(view->Status().frameCount > 0, !c.discards);
    EXPECT_EQ(view->Playback().State(),
              c.discards ? PlayState::kNothingPlayable : PlayState::kStopped);
    // Every value is stored, whatever it changed.
    const AnalysisSettings& s = view->Settings();
    EXPECT_EQ(s.m_lowNote, v.m_lowNote);
    EXPECT_EQ(s.m_binsPerSemitone, v.m_binsPerSemitone);
    EXPECT_EQ(s.m_harmonicsCount, v.m_harmonicsCount);
    EXPECT_EQ(s.m_colorMap, v.m_colorMap);
    EXPECT_EQ(s.m_midiProgram, v.m_midiInstrument - 1);
    EXPECT_EQ(s.m_decoderPath, v.m_decoderPath);
    EXPECT_EQ(s.m_vocalCutMode, v.m_vocalCutMode);
    // The bank follows the new values at the recording's rate.
    EXPECT_EQ(view->CurrentAnalysis().Kernels().binsPerSemitone, s.m_binsPerSemitone);
    EXPECT_EQ(view->CurrentAnalysis().Params().lowNote, s.m_lowNote);
  }
}

TEST_F(SettingsDialogFlowTest, WithoutAnAnalysisTheChangeNeedsNoMessage) {
  SettingsDialogValues v = view->SettingsForDialog();
  v.m_binsPerSemitone = 8;
  view->ApplySettingsDialog(v);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(view->Settings().m_binsPerSemitone, 8);
  EXPECT_EQ(view->CurrentAnalysis().Kernels().binsPerSemitone, 8);
}

TEST_F(SettingsDialogFlowTest, DialogStartsFromTheViewsValues) {
  AnalysisSettings& s = ViewProbe::SettingsOf(*view);
  s.m_midiProgram = 24;
  s.m_vocalLowestNote = 30;
  s.m_decoderPath = "/opt/EcoDecoTooL.exe";
  const SettingsDialogValues v = view->SettingsForDialog();
  EXPECT_EQ(v.m_midiInstrument, 25);
  EXPECT_EQ(v.m_vocalLowestNote, 30);
  EXPECT_EQ(v.m_decoderPath, "/opt/EcoDecoTooL.exe");
  EXPECT_EQ(v.m_exeDir, dir / "");
}

TEST_F(SettingsDialogFlowTest, DecoderCheckReportsAMissingProgram) {
  EXPECT_FALSE(view->CheckDecoder(dir / "EcoDecoTooL.exe"));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("EcoDecoTooL.exeが見つかりません。", 0), 0u);
}

TEST(SettingsDialogFields, IntegersInTheirRange) {
  struct FieldCase {
    const char* text;
    int32_t low, high;
    std::optional<int32_t> value;
  };
  const std::vector<FieldCase> cases = {
      {"440", 220, 880, 440}, {" 442 ", 220, 880, 442},    {"+220", 220, 880, 220},
      {"880", 220, 880, 880}, {"219", 220, 880, {}},       {"881", 220, 880, {}},
      {"0", 220, 880, {}},    {"-440", 220, 880, {}},      {"440.5", 220, 880, {}},
      {"4 40", 220, 880, {}}, {"", 220, 880, {}},          {"abc", 220, 880, {}},
      {"1", 1, 128, 1},       {"128", 1, 128, 128},        {"129", 1, 128, {}},
      {"0", 1, 128, {}},      {"99999999999", 1, 128, {}},
  };
  for (const FieldCase& c : cases)
    EXPECT_EQ(ReadDialogInteger(c.text, c.low, c.high), c.value) << '"' << c.text << '"';
  EXPECT_EQ(DialogIntegerMessage(220, 880), "Enter an integer.\r\n(220 - 880)");
}

}  // namespace
}  // namespace velmio::test

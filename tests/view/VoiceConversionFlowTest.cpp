// The voice-conversion dialog's flows without a window: at most one dialog,
// the close question, presets kept through closing, the fixed settings and
// their labels, PLAY of the converted voice, a slider move heard within the
// queued blocks, and "Wavに保存".
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "ViewFlowSupport.h"
#include "audio/VoiceConversion.h"

namespace velmio::test {
namespace {

constexpr char kCloseQuestion[] =
    "このウィンドウを閉じると現在のデータは失われます。よろしいですか？\r\n"
    "（.vlxファイルで保存しておくと便利です。）";

class VoiceConversionFlowTest : public ViewFlowTest {
 protected:
  // The dialog open, a voice opened through it and analysed.
  void OpenVoice(double seconds) {
    ASSERT_TRUE(view->OpenVoiceDialog());
    host.openAnswers.push_back(WriteTone("voice.wav", 1, 44100, 16, seconds));
    ASSERT_TRUE(view->OpenSingleVoice());
    RunToTakeOver();
    ASSERT_TRUE(view->VoiceDialog().HasAnalysis());
  }

  // The converter run directly on the view's voice, into silence.
  std::vector<int16_t> Rendered(ConversionRatios ratios) const {
    const Spectrogram& s = view->CurrentAnalysis().Result();
    const std::vector<int32_t>& marks = view->SingleVoice().PitchMarks();
    const int32_t n = view->Recording().DataSize() / 2;
    std::vector<int16_t> out(static_cast<size_t>(n), 0);
    ConversionWork work;
    work.Reserve(2 * static_cast<size_t>(n));
    RenderConversion({std::span<const float>(s.m_monoSignal.data(), s.m_paddedLength), marks, n},
                     ratios, work, out);
    return out;
  }

  // Fires the watcher until the rendering of `ratios` is shown.
  void WatchUntilShown(ConversionRatios ratios) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (view->Conversion().ShownRatios() != ratios) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "never rendered";
      view->OnTimer(kTimerConversion);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
};

TEST_F(VoiceConversionFlowTest, AtMostOneDialogAndItsWatcherLivesAsLongAsIt) {
  EXPECT_FALSE(view->Status().voiceDialogOpen);
  ASSERT_TRUE(view->OpenVoiceDialog());
  EXPECT_FALSE(view->OpenVoiceDialog());
  EXPECT_TRUE(view->Status().voiceDialogOpen);
  EXPECT_TRUE(host.TimerRunning(kTimerConversion));
  // Nothing to lose: no question.
  EXPECT_TRUE(view->CloseVoiceDialog());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_FALSE(host.TimerRunning(kTimerConversion));
  EXPECT_FALSE(view->Status().voiceDialogOpen);
}

TEST_F(VoiceConversionFlowTest, ClosingRightAfterAnAnalysisAsksAndOnlyYesCloses) {
  OpenVoice(0.6);
  EXPECT_TRUE(view->VoiceDialog().FileOpened());
  host.questionAnswers = {MessageAnswer::kNo, MessageAnswer::kYes};
  EXPECT_FALSE(view->CloseVoiceDialog());
  EXPECT_TRUE(view->VoiceDialog().IsOpen());
  EXPECT_TRUE(host.TimerRunning(kTimerConversion));
  EXPECT_TRUE(view->CloseVoiceDialog());
  EXPECT_EQ(host.MessageTexts(), (std::vector<std::string>{kCloseQuestion, kCloseQuestion}));
  EXPECT_FALSE(host.TimerRunning(kTimerConversion));
  // The single-voice mode stays on after the dialog has gone.
  EXPECT_TRUE(view->Status().pitchEnabled);
}

TEST_F(VoiceConversionFlowTest, AStoredPresetSurvivesClosingAndReachesTheSettings) {
  ASSERT_TRUE(view->OpenVoiceDialog());
  const VoiceSetting stored{40, 60, 10, -6};
  view->ShowVoiceSetting(stored);
  view->ApplyOrStoreVoicePreset(2, true);  // Ctrl+click on "3"
  view->ApplyFixedVoiceSetting(FixedVoiceSetting::kReset);
  view->ApplyOrStoreVoicePreset(2, false);
  EXPECT_EQ(view->VoiceDialog().Current().pitchPosition, 10);
  EXPECT_EQ(view->Settings().m_vcPresets[2].lowestNote, 40);
  ASSERT_TRUE(view->CloseVoiceDialog());
  ASSERT_TRUE(view->OpenVoiceDialog());
  EXPECT_EQ(view->VoiceDialog().Current().pitchPosition, 0);  // opens at Reset
  view->ApplyOrStoreVoicePreset(2, false);
  const VoiceSetting shown = view->VoiceDialog().Current();
  EXPECT_EQ((std::array{shown.lowestNote, shown.highestNote, shown.pitchPosition,
                        shown.formantPosition}),
            (std::array{40, 60, 10, -6}));
}

TEST_F(VoiceConversionFlowTest, MovingASliderWhileStoppedRendersNothingUntilPlay) {
  OpenVoice(0.6);
  view->ApplyFixedVoiceSetting(FixedVoiceSetting::kMaleToFemale);
  for (int i = 0; i < 5; ++i) view->OnTimer(kTimerConversion);
  EXPECT_FALSE(view->Conversion().IsBusy());
  EXPECT_FALSE(view->Conversion().ShownRatios().has_value());
}

TEST_F(VoiceConversionFlowTest, PlayRendersFirstAndASliderMoveIsHeardInTheQueuedBlocks) {
  OpenVoice(3.0);
  view->ApplyFixedVoiceSetting(FixedVoiceSetting::kMaleToFemale);
  const ConversionRatios up = view->VoiceDialog().Ratios();
  EXPECT_EQ(up, (ConversionRatios{2.0f, FormantRatioOfPosition(12)}));
  view->OnPlay();
  ASSERT_EQ(view->Playback().State(), PlayState::kPlaying);
  const std::vector<int16_t> upVoice = Rendered(up);
  waveOut.Advance(20000);
  const auto* heard = waveOut.Played().data();
  EXPECT_TRUE(std::equal(heard, heard + 20000, reinterpret_cast<const uint8_t*>(upVoice.data())));

  view->ApplyFixedVoiceSetting(FixedVoiceSetting::kFemaleToMale);
  const ConversionRatios down = view->VoiceDialog().Ratios();
  WatchUntilShown(down);
  const std::vector<int16_t> downVoice = Rendered(down);
  waveOut.Advance(3 * kPlayBlockBytes);
  const std::vector<uint8_t>& played = waveOut.Played();
  const auto* expected = reinterpret_cast<const uint8_t*>(downVoice.data());
  EXPECT_TRUE(std::equal(played.begin() + 20000, played.end(), expected + 20000));
  view->OnStop();
}

TEST_F(VoiceConversionFlowTest, ClosingStopsPlaybackAndThePcmPlaysAgain) {
  OpenVoice(1.5);
  view->ApplyFixedVoiceSetting(FixedVoiceSetting::kMaleToFemale);
  view->OnPlay();
  waveOut.Advance(1000);
  host.questionAnswers = {MessageAnswer::kYes};
  ASSERT_TRUE(view->CloseVoiceDialog());
  EXPECT_EQ(view->Playback().State(), PlayState::kStopped);
  waveOut.ClearRecord();
  view->OnRewind();
  view->OnPlay();
  waveOut.Advance(4096);
  const PcmView pcm = view->Recording().Pcm();
  EXPECT_TRUE(std::equal(waveOut.Played().begin(), waveOut.Played().end(),
                         reinterpret_cast<const uint8_t*>(pcm.samples)));
  view->OnStop();
}

TEST_F(VoiceConversionFlowTest, SaveWritesTheSettingShownEvenWhenNeverPlayed) {
  OpenVoice(0.8);
  struct Case {
    FixedVoiceSetting setting;
    bool identity;
  };
  for (const Case c : {Case{FixedVoiceSetting::kMaleToFemale, false},
                       Case{FixedVoiceSetting::kReset, true}}) {
    view->ApplyFixedVoiceSetting(c.setting);
    const std::string path = dir / (c.identity ? "same.wav" : "up.wav");
    host.saveAnswers.push_back(path);
    ASSERT_TRUE(view->SaveConvertedWave());
    EXPECT_EQ(host.dialogs.back().filter, "音声ファイル(*.wav)|*.wav||");
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const PcmView pcm = view->Recording().Pcm();
    ASSERT_EQ(bytes.size(), 44u + static_cast<size_t>(pcm.dataSize));
    const std::vector<int16_t> voice =
        c.identity ? std::vector<int16_t>(pcm.samples, pcm.samples + pcm.dataSize / 2)
                   : Rendered(view->VoiceDialog().Ratios());
    EXPECT_EQ(bytes.compare(44, std::string::npos, reinterpret_cast<const char*>(voice.data()),
                            voice.size() * 2),
              0)
        << (c.identity ? "identity" : "converted");
  }
  host.saveAnswers.push_back(std::nullopt);  // cancel
  EXPECT_FALSE(view->SaveConvertedWave());
}

TEST(VoiceRatioLabels, ShowPercentSignAndSemitones) {
  struct Case {
    bool pitch;
    int32_t position;
    const char* label;
  };
  const Case cases[] = {
      {true, 24, "200% (+12.0)"}, {true, -24, " 50% (-12.0)"}, {true, 0, "100% ( 0.0)"},
      {true, 48, "400% (+24.0)"}, {true, 1, "103% (+0.5)"},    {false, 12, "141% (+6.0)"},
      {false, -12, " 71% (-6.0)"}, {false, 24, "200% (+12.0)"},
  };
  for (const Case& c : cases) {
    const float ratio =
        c.pitch ? PitchRatioOfPosition(c.position) : FormantRatioOfPosition(c.position);
    EXPECT_EQ(VoiceRatioLabel(ratio, c.position), c.label) << c.position;
  }
  EXPECT_EQ(FixedSetting(FixedVoiceSetting::kMaleToFemale).highestNote, 52);
  EXPECT_EQ(FixedSetting(FixedVoiceSetting::kFemaleToMale).lowestNote, 43);
}

}  // namespace
}  // namespace velmio::test

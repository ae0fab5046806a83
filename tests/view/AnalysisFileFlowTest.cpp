// Saving an analysis and opening it again: the file round-trips byte for
// byte, the reopened result is installed over its re-read audio without
// analysing, and a refused file or missing audio is handled as the user
// would expect.
#include <algorithm>
#include <fstream>
#include <iterator>

#include "ViewFlowSupport.h"
#include "persist/AnalysisFile.h"

namespace velmio::test {
namespace {

namespace fs = std::filesystem;

constexpr char kSaveFilter[] = "velmio ファイル (*.vlx)|*.vlx||";
constexpr char kOpenFilter[] = "velmio ファイル (*.vlx)|*.vlx|すべてのファイル (*.*)|*.*||";

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AnalysisFileFlowTest : public ViewFlowTest {
 protected:
  // Analyses `wav` and saves the result to `vlx` through the save dialog.
  void AnalyseAndSave(const std::string& wav, const std::string& vlx) {
    OpenAndFinish(wav);
    host.saveAnswers.push_back(vlx);
    ASSERT_TRUE(view->SaveAnalysisFile());
  }
  bool OpenSaved(const std::string& vlx) {
    host.openAnswers.push_back(vlx);
    return view->OnOpenAnalysisFile();
  }
};

TEST_F(AnalysisFileFlowTest, SavedAnalysisReopensAsItWasAndSavesAgainByteForByte) {
  const std::string wav = WriteTone("take.wav", 2, 44100, 16, 0.6);
  const std::string first = dir / "first.vlx";
  AnalyseAndSave(wav, first);
  EXPECT_EQ(host.dialogs.back().filter, kSaveFilter);
  EXPECT_EQ(host.dialogs.back().defaultExtension, "vlx");
  const QImage analysed = view->RenderToImage();
  const std::vector<float> levels(view->CurrentAnalysis().Result().m_levelDb.begin(),
                                  view->CurrentAnalysis().Result().m_levelDb.end());
  ViewProbe::TempoOf(*view) = TempoGrid{118, 3, 4, 420};
  host.saveAnswers.push_back(first);
  ASSERT_TRUE(view->SaveAnalysisFile());

  // Something else in between, so that the reopening has to restore it all.
  OpenAndFinish(WriteTone("other.wav", 1, 48000, 16, 0.3));
  view->OnGainUp();
  host.statusTexts.clear();
  host.titles.clear();

  ASSERT_TRUE(OpenSaved(first));
  EXPECT_EQ(host.dialogs.back().filter, kOpenFilter);
  EXPECT_EQ(host.statusTexts[kStatusPaneMessage].front(), "ファイルを読み込んでいます。");
  EXPECT_EQ(host.statusTexts[kStatusPaneMessage].back(), "");
  EXPECT_EQ(host.titles.back(), "take.wav");
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_FALSE(view->IsDataBusy()) << "installed, not analysed";
  EXPECT_EQ(view->Recording().FilePath(), wav);
  EXPECT_EQ(view->Recording().Channels(), 2);
  EXPECT_EQ(view->Tempo().tempo, 118);
  EXPECT_EQ(view->Tempo().startMs, 420);
  EXPECT_FALSE(view->Display().BarDisplay());
  EXPECT_EQ(view->Playback().State(), PlayState::kStopped);
  EXPECT_EQ(view->Playback().LoopEndFrame(), view->Recording().WholeFrames());
  const Spectrogram& shown = view->CurrentAnalysis().Result();
  EXPECT_TRUE(
      std::equal(shown.m_levelDb.begin(), shown.m_levelDb.end(), levels.begin(), levels.end()));
  EXPECT_TRUE(view->RenderToImage() == analysed) << "the reopened picture is the analysed one";

  const std::string second = dir / "second.vlx";
  host.saveAnswers.push_back(second);
  ASSERT_TRUE(view->SaveAnalysisFile());
  EXPECT_EQ(Bytes(first), Bytes(second));
}

TEST_F(AnalysisFileFlowTest, CancelledDialogsChangeNothing) {
  OpenAndFinish(WriteTone("take.wav", 1, 44100, 16, 0.3));
  host.saveAnswers.push_back(std::nullopt);
  EXPECT_FALSE(view->SaveAnalysisFile());
  host.openAnswers.push_back(std::nullopt);
  EXPECT_FALSE(view->OnOpenAnalysisFile());
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"take.wav"});
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
}

// A file the reader refuses leaves the shown analysis and the recording alone.
TEST_F(AnalysisFileFlowTest, RefusedFileKeepsTheShownAnalysis) {
  const std::string wav = WriteTone("take.wav", 1, 44100, 16, 0.3);
  AnalyseAndSave(wav, dir / "good.vlx");
  std::string cut = Bytes(dir / "good.vlx");
  cut.resize(cut.size() / 2);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir.Write("cut.vlx", cut), kAnalysisFileFormatMessage},
      {dir.Write("old.vlx", "velmio ver 0.50" + std::string(2000, '\0')),
       kAnalysisFileFormatMessage},
      {dir / "missing.vlx", "File open error."},
  };
  for (const auto& [path, message] : cases) {
    SCOPED_TRACE(path);
    host.messages.clear();
    EXPECT_FALSE(OpenSaved(path));
    EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{message});
    EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
    EXPECT_TRUE(view->Recording().IsFileOpen());
    EXPECT_EQ(view->Recording().FilePath(), wav);
  }
}

// The audio is read again from the saved path; without it the view waits grey.
TEST_F(AnalysisFileFlowTest, MissingSourceAudioLeavesTheViewWaiting) {
  const std::string wav = WriteTone("gone.wav", 1, 44100, 16, 0.3);
  AnalyseAndSave(wav, dir / "a.vlx");
  fs::remove(wav);
  host.messages.clear();

  EXPECT_FALSE(OpenSaved(dir / "a.vlx"));

  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{"mmioOpen(MMIO_READ) failed."});
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kIdle);
  EXPECT_FALSE(view->Recording().IsFileOpen());
  EXPECT_EQ(view->Playback().State(), PlayState::kNothingPlayable);
}

// Dropping a saved analysis opens it in any letter case of its extension.
TEST_F(AnalysisFileFlowTest, DroppedAnalysisFileOpens) {
  AnalyseAndSave(WriteTone("take.wav", 1, 44100, 16, 0.3), dir / "Take.VLX");
  OpenAndFinish(WriteTone("other.wav", 1, 22050, 16, 0.3));
  EXPECT_EQ(view->OpenDropped(dir / "Take.VLX"), DropKind::kAnalysisData);
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_EQ(view->Recording().SampleRate(), 44100);
}

// The vocal mode stored with the analysis is applied again to a stereo
// source (whatever the current setting), never to a mono one.
TEST_F(AnalysisFileFlowTest, StoredVocalModeIsAppliedAgain) {
  ViewProbe::SettingsOf(*view).m_vocalCutMode = 2;
  AnalyseAndSave(WriteTone("stereo.wav", 2, 44100, 16, 0.3), dir / "s.vlx");
  AnalyseAndSave(WriteTone("mono.wav", 1, 44100, 16, 0.3), dir / "m.vlx");
  ViewProbe::SettingsOf(*view).m_vocalCutMode = 0;
  host.controlTexts.clear();
  host.notices.clear();

  ASSERT_TRUE(OpenSaved(dir / "s.vlx"));
  EXPECT_EQ(std::count(host.notices.begin(), host.notices.end(), "Vocal extracting."), 1);
  EXPECT_EQ(host.controlTexts[kControlVocalMode].back(), "ボーカル抽出　");
  EXPECT_EQ(view->Recording().VocalCutApplied(), 2);

  host.notices.clear();
  ASSERT_TRUE(OpenSaved(dir / "m.vlx"));
  EXPECT_EQ(std::count(host.notices.begin(), host.notices.end(), "Vocal extracting."), 0);
  EXPECT_EQ(view->Recording().VocalCutApplied(), 0);
  EXPECT_EQ(host.controlTexts[kControlVocalMode].back(), "");
}

// A saved single-voice analysis brings back its pitch data and the window
// state (slot 5 of the presets); with marks, a stereo source is mixed to mono
// and the conversion gets its buffers and mono signal.
TEST_F(AnalysisFileFlowTest, PitchDataIsRestored) {
  const std::string wav = WriteTone("voice.wav", 2, 44100, 16, 0.5);
  OpenAndFinish(wav);
  AnalysisFileContents c = view->AnalysisSnapshot();
  const std::vector<int16_t> track(static_cast<std::size_t>(c.frameCount), 300);
  const std::vector<int32_t> marks = {10, 200, 390};
  const std::vector<int16_t> peaks = {5, -6, 7};
  c.pitchEnabled = 1;
  c.pitchTrack = track;
  c.windowState = {3, 20, -12, 20};
  c.markCount = 2;
  c.pitchMarks = marks;
  c.periodPeaks = peaks;
  c.pitchLowNote = 30;
  c.pitchHighNote = 60;
  ASSERT_TRUE(WriteAnalysisFile(dir / "voice.vlx", c, nullptr));
  OpenAndFinish(WriteTone("other.wav", 1, 44100, 16, 0.2));

  ASSERT_TRUE(OpenSaved(dir / "voice.vlx"));

  const SingleVoiceState& voice = view->SingleVoice();
  EXPECT_TRUE(voice.PitchEnabled());
  EXPECT_TRUE(voice.ShowsPitch());
  EXPECT_EQ(voice.PitchLowNote(), 30);
  EXPECT_EQ(voice.MarkCount(), 2);
  const VcPreset& slot = view->Settings().m_vcPresets[5];
  EXPECT_EQ(slot.lowestNote, 3);
  EXPECT_EQ(slot.formantPosition, 20);
  // The voice-conversion window comes back showing that state, saved.
  const VoiceDialogState& window = view->VoiceDialog();
  ASSERT_TRUE(window.IsOpen());
  EXPECT_EQ(window.Current().lowestNote, 3);
  EXPECT_EQ(window.Current().pitchPosition, -12);
  EXPECT_EQ(window.Current().formantPosition, 20);
  EXPECT_TRUE(window.HasAnalysis());
  EXPECT_FALSE(window.ClosingLosesData());
  EXPECT_EQ(view->Recording().Channels(), 1);
  EXPECT_EQ(view->Conversion().ConvertedSamples().size() * 2,
            static_cast<std::size_t>(view->Recording().DataSize()));
  const Spectrogram& result = view->CurrentAnalysis().Result();
  EXPECT_EQ(result.m_paddedLength % 32, 0);
  EXPECT_GE(result.m_paddedLength, view->Recording().DataSize() / 2);

  // Saved again, the file is the same.
  host.saveAnswers.push_back(dir / "again.vlx");
  ASSERT_TRUE(view->SaveAnalysisFile());
  EXPECT_EQ(Bytes(dir / "voice.vlx"), Bytes(dir / "again.vlx"));
}

TEST_F(AnalysisFileFlowTest, NothingToSaveBeforeAnAnalysis) {
  EXPECT_FALSE(view->SaveAnalysisFile());
  EXPECT_TRUE(host.dialogs.empty());
}

}  // namespace
}  // namespace velmio::test

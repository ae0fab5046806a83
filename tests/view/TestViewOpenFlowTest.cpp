// The open-and-analyse flow through a recording host: what the window is told
// on success, on each failure, and while the job runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "ViewFlowSupport.h"

namespace velmio::test {
namespace {

constexpr char kWaveFilter[] =
    "音声ファイル(*.wav;*.mp3;*.mp4;*.m4a;*.aac;*.flv;*.flac;*.ogg;*.oga;*.opus;*.aiff;*.aif;*."
    "webm;"
    "*.wma)|*.wav;*.mp3;*.mp4;*.m4a;*.aac;*.flv;*.flac;*.ogg;*.oga;*.opus;*.aiff;*.aif;*.webm;*."
    "wma|"
    "すべてのファイル(*.*)|*.*|";
constexpr char kDecoderFilter[] =
    "音声ファイル(*.wav;*.mp3;*.mp4;*.aac;*.flv)|*.wav;*.mp3;*.mp4;*.aac;*.flv|"
    "すべてのファイル(*.*)|*.*|";
constexpr char kDecoderPath[] = "/opt/decoder/EcoDecoTooL.exe";

bool StartedTimer(const RecordingHost& host, int id, int milliseconds) {
  for (const RecordingHost::TimerCall& call : host.timerCalls) {
    if (call.start && call.id == id && call.milliseconds == milliseconds) return true;
  }
  return false;
}

using OpenFlowTest = ViewFlowTest;

TEST_F(OpenFlowTest, ChosenFileIsAnalysedAndTakenOver) {
  fs::create_directories(dir / "takes");
  const std::string path = dir.Write("takes/take 1.wav", ToneWav(2, 48000, 24, 1.0));

  ASSERT_TRUE(OpenChosen(path));

  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_FALSE(host.dialogs[0].save);
  EXPECT_EQ(host.dialogs[0].filter, kWaveFilter);
  EXPECT_EQ(host.dialogs[0].defaultExtension, "wav");
  EXPECT_EQ(view->Recording().FilePath(), path);
  EXPECT_EQ(host.notices, std::vector<std::string>{"File reading."});
  EXPECT_GE(host.invalidations, 1);
  EXPECT_EQ(host.titles, std::vector<std::string>{"take 1.wav"});
  EXPECT_TRUE(host.messages.empty());
  // The job runs: the data commands are closed until the take-over.
  EXPECT_TRUE(view->CurrentAnalysis().IsBusy());
  EXPECT_TRUE(view->IsDataBusy());
  EXPECT_TRUE(StartedTimer(host, kTimerProgress, 100));
  EXPECT_TRUE(host.TimerRunning(kTimerProgress));
  ASSERT_FALSE(host.scrollRequests.empty());
  EXPECT_EQ(host.scrollRequests.back().x, 0);
  EXPECT_EQ(host.scrollRequests.back().y, 0);
  // Read-outs of the new file, before any analysis result exists.
  EXPECT_EQ(host.LastStatus(kStatusPanePosition), "  0:00.0 / 0:01.0");
  EXPECT_EQ(host.LastControl(kControlTime), "時間  0:00.0 / 0:01.0");
  EXPECT_EQ(host.LastControl(kControlBar), "");
  EXPECT_EQ(host.LastControl(kControlLevelLow), "-44dB");
  EXPECT_EQ(host.LastControl(kControlLevelHigh), "-24dB");
  EXPECT_EQ(host.LastControl(kControlVocalMode), "");
  // 24-bit stereo became 16-bit stereo at 48 kHz: hop 278, 172 whole frames.
  EXPECT_EQ(view->Recording().SampleRate(), 48000);
  EXPECT_EQ(view->Recording().HopSize(), 278);
  EXPECT_EQ(view->Recording().DataSize(), 48000 * 4);
  EXPECT_EQ(view->Playback().LoopStartFrame(), 0);
  EXPECT_EQ(view->Playback().LoopEndFrame(), 172);

  RunToTakeOver();

  const std::vector<std::string>& pane0 = host.statusTexts[kStatusPaneMessage];
  ASSERT_FALSE(pane0.empty());
  const std::regex progress(R"(^ (  \d| \d\d|100)% completed\.$)");
  for (std::size_t i = 0; i + 1 < pane0.size(); ++i) {
    EXPECT_TRUE(std::regex_match(pane0[i], progress)) << "'" << pane0[i] << "'";
  }
  EXPECT_TRUE(std::regex_match(pane0.back(),
                               std::regex(R"(^処理時間  \d+\.\d 秒  \(2ch 24bit 48000Hz\)$)")))
      << pane0.back();

  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_FALSE(view->CurrentAnalysis().IsBusy());
  EXPECT_FALSE(view->IsDataBusy());
  EXPECT_EQ(view->Playback().State(), PlayState::kStopped);
  EXPECT_EQ(view->Playback().CursorFrame(), 0);
  EXPECT_FALSE(host.TimerRunning(kTimerProgress));
  EXPECT_TRUE(host.TimerRunning(kTimerLegend));
  EXPECT_FALSE(host.legends.empty());
  EXPECT_EQ(host.LastControl(kControlLevelLow), "-44dB");
  EXPECT_EQ(host.LastControl(kControlLevelHigh), "-24dB");

  const int32_t frames = view->CurrentAnalysis().Result().m_frameCount;
  EXPECT_GT(frames, 0);
  const ScrollSizes sizes = host.GetScrollSizes();
  EXPECT_EQ(sizes.contentWidth, frames + 40);
  EXPECT_EQ(sizes.contentHeight, 8 * (120 - 12) + 16);
  EXPECT_EQ(sizes.pageX, 800 - 40);
  EXPECT_EQ(sizes.lineX, 1);
  EXPECT_EQ(sizes.pageY, 88);
  EXPECT_EQ(sizes.lineY, 8);

  const WaveFormat& play = view->Playback().PlayFormat();
  EXPECT_EQ(play.wFormatTag, 1);
  EXPECT_EQ(play.nChannels, 2);
  EXPECT_EQ(play.nSamplesPerSec, 48000u);
  EXPECT_EQ(play.wBitsPerSample, 16);
  EXPECT_EQ(play.nBlockAlign, 4);
  EXPECT_EQ(play.nAvgBytesPerSec, 192000u);
}

TEST_F(OpenFlowTest, DroppedFileIsOpenedWithoutAsking) {
  const std::string path = WriteTone("dropped.WAV", 1, 44100, 16, 0.3);

  ASSERT_EQ(view->OpenDropped(path), DropKind::kRecording);

  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(view->Recording().FilePath(), path);
  EXPECT_EQ(host.titles, std::vector<std::string>{"dropped.WAV"});
  RunToTakeOver();
  EXPECT_TRUE(std::regex_match(host.LastStatus(kStatusPaneMessage).value_or(""),
                               std::regex(R"(^処理時間  \d+\.\d 秒  \(1ch 16bit 44100Hz\)$)")));
}

// With single-voice mode on, stereo is mixed down before the analysis; the
// completion line tells the channels analysed but the bits of the file.
TEST_F(OpenFlowTest, PitchModeMixesDownAndReportsOneChannel) {
  const std::string path = WriteTone("voice.wav", 2, 48000, 24, 0.5);
  ASSERT_TRUE(view->Open(path, OpenMode::kSingleVoice));
  RunToTakeOver();

  EXPECT_EQ(view->Recording().Format().nChannels, 1);
  EXPECT_EQ(view->Recording().DataSize(), 24000 * 2);
  EXPECT_EQ(view->Conversion().ConvertedSamples().size() * 2, 24000u * 2);
  EXPECT_TRUE(view->Conversion().IsPrepared());
  EXPECT_TRUE(std::regex_match(host.LastStatus(kStatusPaneMessage).value_or(""),
                               std::regex(R"(^処理時間  \d+\.\d 秒  \(1ch 24bit 48000Hz\)$)")));
}

TEST_F(OpenFlowTest, FileOpenCommandLeavesSingleVoiceMode) {
  ASSERT_TRUE(view->Open(WriteTone("a.wav", 2, 44100, 16, 0.3), OpenMode::kSingleVoice));
  RunToTakeOver();
  host.openAnswers.push_back(WriteTone("b.wav", 2, 44100, 16, 0.3));

  ASSERT_TRUE(view->OnFileOpen());

  EXPECT_FALSE(view->SingleVoice().PitchEnabled());
  EXPECT_FALSE(view->SingleVoice().ShowsPitch());
  RunToTakeOver();
  EXPECT_EQ(view->Recording().Format().nChannels, 2);
}

TEST_F(OpenFlowTest, CancelChangesNothing) {
  const std::string path = WriteTone("kept.wav", 1, 44100, 16, 0.3);
  OpenAndFinish(path);
  const int invalidations = host.invalidations;
  host.openAnswers.push_back(std::nullopt);

  EXPECT_FALSE(view->OnFileOpen());

  EXPECT_EQ(host.dialogs.size(), 2u);
  EXPECT_EQ(view->Recording().FilePath(), path);
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_EQ(host.notices.size(), 1u);
  EXPECT_EQ(host.titles.size(), 1u);
  EXPECT_EQ(host.invalidations, invalidations);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_TRUE(view->Recording().IsFileOpen());
}

struct FailureCase {
  const char* name;
  const char* file;
  std::string bytes;  // empty: the file does not exist
  const char* message;
  bool titled;  // the format was accepted before the read failed
};

// Test names and messages show the case's name, not its bytes.
void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.name;
}

class OpenFailureTest : public ViewFlowTest, public testing::WithParamInterface<FailureCase> {};

// Each failure follows a finished analysis: the old picture is no longer
// drawn, the old file is closed, and no job or timer starts. The window is
// then as at start-up: the frame's own title, zero times, no report, so
// nothing describes a recording that is gone.
TEST_P(OpenFailureTest, ReportsAndLeavesNothingToDraw) {
  const FailureCase& c = GetParam();
  OpenAndFinish(WriteTone("before.wav", 1, 44100, 16, 0.3));
  const std::string path = c.bytes.empty() ? dir / c.file : dir.Write(c.file, c.bytes);
  host.messages.clear();
  host.titles.clear();
  host.notices.clear();
  host.timerCalls.clear();

  EXPECT_FALSE(OpenChosen(path));

  EXPECT_EQ(host.MessageTexts(), std::vector<std::string>{c.message});
  EXPECT_EQ(host.messages[0].buttons, MessageButtons::kOk);
  EXPECT_EQ(host.notices, std::vector<std::string>{"File reading."});
  const std::vector<std::string> titles =
      c.titled ? std::vector<std::string>{c.file, ""} : std::vector<std::string>{""};
  EXPECT_EQ(host.titles, titles);
  EXPECT_EQ(view->Recording().FilePath(), "");
  EXPECT_EQ(view->AnalysisConditionsText(), "");
  EXPECT_EQ(host.LastStatus(kStatusPanePosition), "  0:00.0 / 0:00.0");
  EXPECT_EQ(host.LastControl(kControlTime), "時間  0:00.0 / 0:00.0");
  EXPECT_EQ(host.LastStatus(kStatusPaneMessage), "");
  EXPECT_EQ(view->CurrentAnalysis().ShownFrameCount(), 0);
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kIdle);
  EXPECT_FALSE(view->IsDataBusy());
  EXPECT_FALSE(view->Recording().IsFileOpen());
  EXPECT_EQ(view->Recording().DataSize(), 0);
  EXPECT_TRUE(host.timerCalls.empty());
  // Timer 2 has nothing left to report or take over.
  view->OnTimer(kTimerProgress);
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kIdle);
}

std::string Truncated() {
  const std::string data = ToneSamples(1, 44100, 16, 0.1);
  return Riff(Chunk("fmt ", FmtBody(Pcm(1, 44100, 16))) +
              RawChunk("data", static_cast<uint32_t>(data.size() + 1000), data));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenFailureTest,
    testing::Values(
        FailureCase{"Missing", "gone.wav", "", "mmioOpen(MMIO_READ) failed.", false},
        FailureCase{"EightBit", "eight.wav", WavImage(Pcm(1, 44100, 8), std::string(4410, '\x80')),
                    "16/24bit, 22.05kHz以上のwavファイルのみ有効です。", false},
        FailureCase{"SixteenKilohertz", "low.wav", ToneWav(1, 16000, 16, 0.2),
                    "16/24bit, 22.05kHz以上のwavファイルのみ有効です。", false},
        FailureCase{"ThreeChannels", "three.wav",
                    WavImage(Pcm(3, 44100, 16), std::string(600, '\0')),
                    "16/24bit, 22.05kHz以上のwavファイルのみ有効です。", false},
        FailureCase{"TruncatedData", "short.wav", Truncated(), "File read error.", true}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// A recording whose analysis needs more memory than is left is refused
// before anything is allocated, with the length that would fit; the window
// is left with nothing loaded and takes the next file normally.
TEST_F(OpenFlowTest, RecordingTooBigForTheMemoryIsRefusedWithItsLimit) {
  OpenAndFinish(WriteTone("before.wav", 1, 44100, 16, 0.3));
  // Two seconds at 44.1 kHz with the defaults need about 2.1 MB; 1.5 MiB
  // holds about 1.4 seconds.
  view->Seams().availableMemory = [] { return uint64_t{3} << 19; };
  host.messages.clear();
  host.timerCalls.clear();

  EXPECT_FALSE(OpenChosen(WriteTone("long.wav", 2, 44100, 16, 2.0)));

  ASSERT_EQ(host.messages.size(), 1u);
  const std::string& text = host.messages[0].text;
  EXPECT_EQ(
      text.rfind("この録音の解析には 0.0 GB のメモリが必要ですが、使えるのは 0.0 GB です。\r\n"
                 "今の設定で解析できる長さは 0分01秒 までです。",
                 0),
      0u)
      << text;
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kIdle);
  EXPECT_FALSE(view->Recording().IsLoaded());
  EXPECT_EQ(host.titles.back(), "");
  EXPECT_TRUE(host.timerCalls.empty());

  view->Seams().availableMemory = [] { return uint64_t{1} << 30; };
  OpenAndFinish(WriteTone("short.wav", 1, 44100, 16, 0.3));
  EXPECT_EQ(host.titles.back(), "short.wav");
  EXPECT_TRUE(view->CurrentAnalysis().HasResult());
}

// Upper-cased extensions decide: every spelling of .wav is read directly, and
// only other files go through the configured decoder.
TEST_F(OpenFlowTest, DecoderRunsOnlyForOtherExtensions) {
  ViewProbe::SettingsOf(*view).m_decoderPath = kDecoderPath;
  std::vector<std::pair<std::string, std::string>> decoded;
  view->Seams().runDecoder = [&](const std::string& source, const std::string& target) {
    decoded.emplace_back(source, target);
    dir.Write("temp.wav", ToneWav(1, 22050, 16, 0.3));
    return true;
  };

  for (const char* name : {"a.wav", "a.Wav", "a.WAV"}) {
    OpenAndFinish(WriteTone(name, 1, 44100, 16, 0.2));
    EXPECT_EQ(host.titles.back(), name);
  }
  EXPECT_TRUE(decoded.empty());
  for (const RecordingHost::FileDialog& d : host.dialogs) EXPECT_EQ(d.filter, kDecoderFilter);

  const std::string song = dir.Write("song.mp3", "not really an mp3");
  OpenAndFinish(song);
  ASSERT_EQ(decoded.size(), 1u);
  EXPECT_EQ(decoded[0].first, song);
  EXPECT_EQ(decoded[0].second, dir / "temp.wav");
  EXPECT_EQ(view->Recording().FilePath(), song);
  EXPECT_EQ(host.titles.back(), "song.mp3");
  EXPECT_EQ(view->Recording().SampleRate(), 22050);
  EXPECT_TRUE(host.messages.empty());
}

// Without an external decoder the program decodes other files itself; one
// it cannot read is named in the message and changes nothing, like a failed
// external decoder.
TEST_F(OpenFlowTest, UndecodableFileKeepsThePreviousAnalysis) {
  OpenAndFinish(WriteTone("a.wav", 1, 44100, 16, 0.2));
  const std::string song =
      dir.Write("song.mp3", std::string("ID3\x03\0\0\0\0\0\x21", 10) + std::string(400, '\x55'));
  host.messages.clear();
  const std::size_t titles = host.titles.size();

  EXPECT_FALSE(OpenChosen(song));

  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text.rfind("Cannot decode " + song + ": ", 0), 0u);
  EXPECT_EQ(host.titles.size(), titles);
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_TRUE(view->Recording().IsFileOpen());
  EXPECT_FALSE(view->IsDataBusy());
  EXPECT_FALSE(fs::exists(dir / "temp.wav"));
}

TEST_F(OpenFlowTest, FailedDecodingKeepsThePreviousAnalysis) {
  OpenAndFinish(WriteTone("a.wav", 1, 44100, 16, 0.2));
  ViewProbe::SettingsOf(*view).m_decoderPath = kDecoderPath;
  view->Seams().runDecoder = [](const std::string&, const std::string&) { return false; };
  const std::size_t titles = host.titles.size();

  EXPECT_FALSE(OpenChosen(dir.Write("song.m4a", "data")));

  EXPECT_EQ(host.notices.size(), 2u);
  EXPECT_EQ(host.titles.size(), titles);
  EXPECT_EQ(view->CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_TRUE(view->Recording().IsFileOpen());
}

struct VocalCutCase {
  const char* name;
  int mode;
  uint16_t channels;
  const char* label;
  int applied;
  const char* notice;  // the grey picture while it runs, or nullptr
};

void PrintTo(const VocalCutCase& c, std::ostream* os) {
  *os << c.name;
}

class VocalCutLabelTest : public ViewFlowTest, public testing::WithParamInterface<VocalCutCase> {};

// The label and the applied mode say what was done to the PCM, nothing else.
TEST_P(VocalCutLabelTest, LabelTellsWhatWasApplied) {
  const VocalCutCase& c = GetParam();
  ViewProbe::SettingsOf(*view).m_vocalCutMode = c.mode;

  OpenAndFinish(WriteTone("v.wav", c.channels, 44100, 16, 0.3));

  EXPECT_EQ(host.LastControl(kControlVocalMode), c.label);
  EXPECT_EQ(view->Recording().VocalCutApplied(), c.applied);
  const bool shown = c.notice != nullptr && std::find(host.notices.begin(), host.notices.end(),
                                                      c.notice) != host.notices.end();
  EXPECT_EQ(shown, c.notice != nullptr);
  EXPECT_EQ(view->Recording().VocalCutSeconds() > 0.0, c.applied > 0);
  // The time spent on the cut counts into the completion line.
  double seconds = 0;
  ASSERT_EQ(std::sscanf(host.LastStatus(kStatusPaneMessage)->c_str(), "処理時間  %lf", &seconds),
            1);
  EXPECT_NEAR(seconds, view->Recording().VocalCutSeconds() + view->CurrentAnalysis().Seconds(),
              0.051);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VocalCutLabelTest,
    testing::Values(VocalCutCase{"Off", 0, 2, "", 0, nullptr},
                    VocalCutCase{"Cut", 1, 2, "ボーカルカット", 1, "Vocal cuting."},
                    VocalCutCase{"Extract", 2, 2, "ボーカル抽出　", 2, "Vocal extracting."},
                    VocalCutCase{"MonoIsLeftAlone", 1, 1, "", 0, nullptr}),
    [](const testing::TestParamInfo<VocalCutCase>& info) { return std::string(info.param.name); });

TEST_F(OpenFlowTest, VocalCutLabelTexts) {
  const std::vector<std::pair<int, std::string>> cases = {
      {0, ""}, {1, "ボーカルカット"}, {2, "ボーカル抽出　"}, {7, "ボーカル抽出　"}};
  for (const auto& [mode, text] : cases) {
    ViewProbe::ShowVocalCutLabel(*view, mode);
    EXPECT_EQ(host.LastControl(kControlVocalMode), text) << mode;
  }
}

// Timer 2 by analysis state, with the progress value placed by hand (no job runs).
TEST_F(OpenFlowTest, ProgressTimerTextsByState) {
  struct Step {
    AnalysisState state;
    int progress;
    const char* text;  // nullptr: nothing written
  };
  const Step steps[] = {
      {AnalysisState::kTransform, 7, "   7% completed."},
      {AnalysisState::kTransform, 7, nullptr},
      {AnalysisState::kTransform, 42, "  42% completed."},
      {AnalysisState::kTransform, 100, " 100% completed."},
      {AnalysisState::kPitch, 0, "Pitch detecting"},
      {AnalysisState::kPitch, 0, nullptr},
      {AnalysisState::kPitch, 55, "Pitch detecting"},
      {AnalysisState::kFormants, 3, "Formant detecting"},
      {AnalysisState::kIdle, 9, nullptr},
      {AnalysisState::kTakenOver, 10, nullptr},
      {AnalysisState::kTransform, 10, "  10% completed."},
  };
  for (const Step& step : steps) {
    ViewProbe::SetAnalysisState(*view, step.state);
    g_analysisProgress.store(step.progress);
    const std::size_t texts = host.statusTexts[kStatusPaneMessage].size();
    const int invalidations = host.invalidations;

    view->OnTimer(kTimerProgress);

    if (step.text == nullptr) {
      EXPECT_EQ(host.statusTexts[kStatusPaneMessage].size(), texts)
          << static_cast<int>(step.state) << " " << step.progress;
      EXPECT_EQ(host.invalidations, invalidations);
    } else {
      EXPECT_EQ(host.LastStatus(kStatusPaneMessage), step.text);
      EXPECT_EQ(host.invalidations, invalidations + 1);
    }
  }
  ViewProbe::SetAnalysisState(*view, AnalysisState::kIdle);
}

TEST_F(OpenFlowTest, BusyRuleFollowsStateAndPlayback) {
  for (int state : {0, 1, 2, 3, 4, 5}) {
    ViewProbe::SetAnalysisState(*view, static_cast<AnalysisState>(state));
    const bool busy = state == 1 || state == 2 || state == 4 || state == 5;
    EXPECT_EQ(view->CurrentAnalysis().IsBusy(), busy) << state;
    for (int play : {-1, 0, 1, 2, 3}) {
      PlaybackEngineProbe::State(ViewProbe::PlaybackOf(*view)) = static_cast<PlayState>(play);
      EXPECT_EQ(view->IsDataBusy(), busy || play >= 1) << state << " " << play;
    }
  }
  ViewProbe::SetAnalysisState(*view, AnalysisState::kIdle);
}

}  // namespace
}  // namespace velmio::test

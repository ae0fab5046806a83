// The shell's rules that need no window: which flow a dropped file opens,
// file dialog filters, and the analysis conditions report.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "audio/VirtualWaveOutDevice.h"
#include "ui/AnalysisConditions.h"
#include "ui/DropRouting.h"
#include "ui/FileFilters.h"
#include "view/HeadlessHost.h"
#include "view/TestView.h"

namespace velmio::ui {
namespace {

struct DropCase {
  const char* path;
  const char* decoder;
  DropKind kind;
};

TEST(DropRouting, ChoosesTheFlowByTheLastFourCharacters) {
  const DropCase cases[] = {
      {"/music/A.WAV", "none", DropKind::kRecording},
      {"/music/a.Wav", "none", DropKind::kRecording},
      {"/music/a.VLX", "none", DropKind::kAnalysisData},
      {"/music/a.vlx", "/opt/EcoDecoTooL.exe", DropKind::kAnalysisData},
      {"/music/song.mp3", "none", DropKind::kIgnore},
      {"/music/song.mp3", "/opt/EcoDecoTooL.exe", DropKind::kRecording},
      {"/music/song.wav.txt", "none", DropKind::kIgnore},
      {"/music/wav", "none", DropKind::kIgnore},
      {".wav", "none", DropKind::kRecording},
      {"", "/opt/EcoDecoTooL.exe", DropKind::kIgnore},  // a dropped item that is no local file
  };
  for (const DropCase& c : cases) {
    EXPECT_EQ(ClassifyDroppedFile(c.path, c.decoder), c.kind) << c.path << " with " << c.decoder;
  }
}

TEST(FileFilters, BecomeQtNameFilters) {
  EXPECT_EQ(ToQtFilter("音声ファイル(*.wav)|*.wav||"), QStringLiteral("音声ファイル (*.wav)"));
  EXPECT_EQ(ToQtFilter("音声ファイル(*.wav;*.mp3;*.mp4;*.aac;*.flv)|*.wav;*.mp3;*.mp4;*.aac;*.flv|"
                       "すべてのファイル(*.*)|*.*|"),
            QStringLiteral("音声ファイル (*.wav *.mp3 *.mp4 *.aac *.flv);;すべてのファイル (*.*)"));
  EXPECT_EQ(ToQtFilter("解析データ|*.vlx||"), QStringLiteral("解析データ (*.vlx)"));
}

// A view whose recording fields are filled by hand, as a loaded file leaves them.
class ConditionsReport : public testing::Test {
 protected:
  void Load(const char* path, int channels, int rate, int sourceBits, int32_t dataSize) {
    view.m_filePath = path;
    MakePcm16Format(view.m_waveData.m_wave.format, channels, rate);
    view.m_waveData.m_wave.dataSize = dataSize;
    view.m_waveData.m_sourceBits = sourceBits;
  }

  test::TempDir dir;
  HeadlessHost host;
  VirtualWaveOutDevice waveOut;
  CTestView view{host, test::PathsIn(dir), nullptr, waveOut};
};

TEST_F(ConditionsReport, IsEmptyWithoutAFile) {
  EXPECT_EQ(AnalysisConditionsText(view), "");
}

TEST_F(ConditionsReport, StereoTenSecondsWithTheDefaults) {
  Load("/music/ten.wav", 2, 44100, 16, 441000 * 4);
  EXPECT_EQ(
      AnalysisConditionsText(view),
      "Wavファイル\n /music/ten.wav\n 44100 Hz,  16 bit,  2 ch,  1764000 byte\n 再生時間 "
      "0分10秒0\n\n"
      "周波数解析\n 最低音 C1,  最高音 C10,  A4 440 Hz\n 精度：半音の1/4\n ボーカルカット：OFF \n\n"
      "テンポ,拍子,開始時刻：未設定\n\n"
      "ピッチ検出条件\n なし\n");
}

TEST_F(ConditionsReport, SingleVoiceWithTempoAndVocalExtract) {
  Load("/music/voice.wav", 1, 48000, 24, 48000 * 2 * 61 + 48000 * 2 / 10 * 2);  // 61.2 s
  view.m_settings.m_lowNote = 24;
  view.m_settings.m_highNote = 96;
  view.m_settings.m_a4Frequency = 442;
  view.m_settings.m_binsPerSemitone = 8;
  view.m_settings.m_vocalCutMode = 2;
  view.m_tempo = TempoSettings{120, 3, 4, 500};
  view.m_pitch.m_pitchEnabled = 1;
  view.m_pitch.m_pitchLowNote = 31;   // G2
  view.m_pitch.m_pitchHighNote = 61;  // C#5
  view.m_pitch.m_missingFundamental = 1;
  EXPECT_EQ(
      AnalysisConditionsText(view),
      "Wavファイル\n /music/voice.wav\n 48000 Hz,  24 bit,  1 ch,  5875200 byte\n 再生時間 1分 "
      "1秒2\n\n"
      "周波数解析\n 最低音 C2,  最高音 C8,  A4 442 Hz\n 精度：半音の1/8\n ボーカルカット：抽出\n\n"
      "テンポ 120   拍子 3 / 4   開始時刻 500 ms\n\n"
      "ピッチ検出条件\n 最低音 G 2,  最高音 C#5\n Missing fundamental検出　あり\n");
}

// A failed open leaves the chosen path without a format: the report must not divide by zero.
TEST_F(ConditionsReport, AfterAFailedOpenShowsZeroLength) {
  view.m_filePath = "/music/broken.wav";
  const std::string text = AnalysisConditionsText(view);
  EXPECT_NE(text.find(" 0 Hz,  0 bit,  0 ch,  0 byte\n 再生時間 0分 0秒0\n"), std::string::npos)
      << text;
}

// The report is not limited to a fixed buffer: a long path comes out whole.
TEST_F(ConditionsReport, KeepsALongPathWhole) {
  const std::string path = "/" + std::string(1500, 'd') + "/x.wav";
  Load(path.c_str(), 1, 44100, 16, 88200);
  const std::string text = AnalysisConditionsText(view);
  EXPECT_NE(text.find(" " + path + "\n"), std::string::npos);
  EXPECT_NE(text.find("ピッチ検出条件\n なし\n"), std::string::npos);
}

}  // namespace
}  // namespace velmio::ui

// The analysis conditions report, from a view whose recording is described by hand.
#include <gtest/gtest.h>

#include "ViewProbe.h"
#include "audio/VirtualWaveOutDevice.h"
#include "support/TempDir.h"
#include "view/HeadlessHost.h"
#include "view/TestView.h"

namespace velmio::test {
namespace {

// A view whose recording fields are filled by hand, as a loaded file leaves them.
class ConditionsReport : public testing::Test {
 protected:
  void Load(const char* path, int channels, int rate, int sourceBits, int32_t dataSize) {
    RecordingSessionProbe::Describe(ViewProbe::RecordingOf(view), path, channels, rate, sourceBits,
                                    dataSize);
  }

  TempDir dir;
  HeadlessHost host;
  VirtualWaveOutDevice waveOut;
  CTestView view{host, ProgramPaths{dir.Dir(), dir / "velmio.ini", "", dir / "temp.wav"}, nullptr,
                 waveOut};
};

TEST_F(ConditionsReport, IsEmptyWithoutAFile) {
  EXPECT_EQ(view.AnalysisConditionsText(), "");
}

TEST_F(ConditionsReport, StereoTenSecondsWithTheDefaults) {
  Load("/music/ten.wav", 2, 44100, 16, 441000 * 4);
  EXPECT_EQ(
      view.AnalysisConditionsText(),
      "Wavファイル\n /music/ten.wav\n 44100 Hz,  16 bit,  2 ch,  1764000 byte\n 再生時間 "
      "0分10秒0\n\n"
      "周波数解析\n 最低音 C1,  最高音 C10,  A4 440 Hz\n 精度：半音の1/4\n ボーカルカット：OFF \n\n"
      "テンポ,拍子,開始時刻：未設定\n\n"
      "ピッチ検出条件\n なし\n");
}

TEST_F(ConditionsReport, SingleVoiceWithTempoAndVocalExtract) {
  Load("/music/voice.wav", 1, 48000, 24, 48000 * 2 * 61 + 48000 * 2 / 10 * 2);  // 61.2 s
  AnalysisSettings& settings = ViewProbe::SettingsOf(view);
  settings.m_lowNote = 24;
  settings.m_highNote = 96;
  settings.m_a4Frequency = 442;
  settings.m_binsPerSemitone = 8;
  settings.m_vocalCutMode = 2;
  ViewProbe::TempoOf(view) = TempoGrid{120, 3, 4, 500};
  SingleVoiceState& voice = ViewProbe::SingleVoiceOf(view);
  voice.SetMode(true);
  voice.SetPitchRange(31, 61);  // G2 ... C#5
  ViewProbe::SetMissingFundamental(view, 1);
  EXPECT_EQ(
      view.AnalysisConditionsText(),
      "Wavファイル\n /music/voice.wav\n 48000 Hz,  24 bit,  1 ch,  5875200 byte\n 再生時間 1分 "
      "1秒2\n\n"
      "周波数解析\n 最低音 C2,  最高音 C8,  A4 442 Hz\n 精度：半音の1/8\n ボーカルカット：抽出\n\n"
      "テンポ 120   拍子 3 / 4   開始時刻 500 ms\n\n"
      "ピッチ検出条件\n 最低音 G 2,  最高音 C#5\n Missing fundamental検出　あり\n");
}

// A failed open leaves the chosen path without a format: the report must not divide by zero.
TEST_F(ConditionsReport, AfterAFailedOpenShowsZeroLength) {
  RecordingSessionProbe::SetPath(ViewProbe::RecordingOf(view), "/music/broken.wav");
  const std::string text = view.AnalysisConditionsText();
  EXPECT_NE(text.find(" 0 Hz,  0 bit,  0 ch,  0 byte\n 再生時間 0分 0秒0\n"), std::string::npos)
      << text;
}

// The report is not limited to a fixed buffer: a long path comes out whole.
TEST_F(ConditionsReport, KeepsALongPathWhole) {
  const std::string path = "/" + std::string(1500, 'd') + "/x.wav";
  Load(path.c_str(), 1, 44100, 16, 88200);
  const std::string text = view.AnalysisConditionsText();
  EXPECT_NE(text.find(" " + path + "\n"), std::string::npos);
  EXPECT_NE(text.find("ピッチ検出条件\n なし\n"), std::string::npos);
}

}  // namespace
}  // namespace velmio::test

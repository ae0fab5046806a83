// The view's equalizer bank: made on first use with the settings' presets,
// heard in playback, redesigned for the rate of a newly opened file, and its
// presets written back to the settings file when the view goes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../audio/PlaybackRig.h"
#include "ViewFlowSupport.h"
#include "persist/SettingsFile.h"

namespace velmio::test {
namespace {

using EqualizerViewTest = ViewFlowTest;

EqBandGains BoostedBand(int band, int32_t db) {
  EqBandGains gains{};
  gains[static_cast<std::size_t>(band)] = db;
  return gains;
}

TEST_F(EqualizerViewTest, PresetsComeFromTheSettingsAndGoBackToTheFile) {
  ViewProbe::SettingsOf(*view).m_eqPresetGain[2][7] = -9;
  ViewProbe::SettingsOf(*view).m_eqPresetQ[2] = 2.5f;
  ASSERT_FALSE(view->HasEqualizerBank());
  Equalizer& bank = view->EqualizerBank();
  EXPECT_EQ(&view->EqualizerBank(), &bank) << "one bank for the whole run";
  EXPECT_EQ(bank.m_gainDb[3][7], -9);
  EXPECT_EQ(bank.m_q[3], 2.5f);

  // A Ctrl+click in the dialog stores the current setting as preset 1.
  bank.m_gainDb[0][0] = 12;
  bank.m_q[0] = 4.0f;
  view->StoreEqualizerPreset(1);
  EXPECT_EQ(bank.m_gainDb[1][0], 12);
  EXPECT_EQ(bank.m_q[1], 4.0f);
  view.reset();
  AnalysisSettings written;
  ASSERT_TRUE(ReadSettingsFile(Paths().iniPath, written));
  EXPECT_EQ(written.m_eqPresetGain[0][0], 12);
  EXPECT_EQ(written.m_eqPresetQ[0], 4.0f);
  EXPECT_EQ(written.m_eqPresetGain[2][7], -9);
  EXPECT_EQ(written.m_eqPresetQ[2], 2.5f);
}

TEST_F(EqualizerViewTest, PlaybackPassesThroughTheBankWhileItIsOn) {
  const std::vector<int16_t> samples = PatternSamples(44100);
  const std::string bytes(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
  OpenAndFinish(dir.Write("noise.wav", WavImage(Pcm(1, 44100, 16), bytes)));
  Equalizer& bank = view->EqualizerBank();
  bank.UpdateFilters(BoostedBand(6, 12), 1.0f);
  bank.m_enabled = 1;

  // The same design over the same blocks of 32768 bytes.
  Equalizer reference(44100.0f);
  reference.UpdateFilters(BoostedBand(6, 12), 1.0f);
  std::vector<int16_t> expected = samples;
  for (std::size_t at = 0; at < expected.size(); at += 16384) {
    const std::size_t count = std::min<std::size_t>(16384, expected.size() - at);
    reference.ProcessBlock(expected.data() + at, static_cast<int32_t>(count * 2), 1);
  }

  view->OnPlay();
  for (int i = 0; i < 100 && view->Playback().State() > PlayState::kStopped; ++i)
    waveOut.Advance(4096);
  ASSERT_EQ(waveOut.Played().size(), bytes.size());
  EXPECT_NE(std::memcmp(waveOut.Played().data(), samples.data(), bytes.size()), 0);
  EXPECT_EQ(std::memcmp(waveOut.Played().data(), expected.data(), bytes.size()), 0);
}

TEST_F(EqualizerViewTest, OpeningAFileRedesignsTheBankForItsRate) {
  Equalizer& bank = view->EqualizerBank();
  bank.UpdateFilters(BoostedBand(9, 8), 2.0f);

  OpenAndFinish(WriteTone("low rate.wav", 1, 22050, 16, 0.5));

  Equalizer expected(22050.0f);
  expected.UpdateFilters(BoostedBand(9, 8), 2.0f);
  EXPECT_EQ(bank.m_sampleRate, 22050.0f);
  for (int k = 0; k < kEqBands; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(bank.m_units[k].m_b0, expected.m_units[k].m_b0);
    EXPECT_EQ(bank.m_units[k].m_a1, expected.m_units[k].m_a1);
  }
  EXPECT_EQ(
      0, std::memcmp(bank.m_totalResponse, expected.m_totalResponse, sizeof bank.m_totalResponse))
      << "the dialog's graph shows the new design";
}

}  // namespace
}  // namespace velmio::test

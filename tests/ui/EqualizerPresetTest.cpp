// The equalizer's presets and Reset: Ctrl+click stores the current setting,
// a plain click loads it back, and what is stored reaches the settings (and
// through them the settings file) at once.
#include <climits>

#include "EqualizerFixture.h"
#include "persist/SettingsFile.h"

namespace velmio::ui {
namespace {

using test::EqualizerFixture;

class EqualizerPresetTest : public EqualizerFixture {
 protected:
  // A setting away from flat: gains on four bands and Q 2.5.
  void MakeSetting() {
    SetGain(0, -24);
    SetGain(3, 7);
    SetGain(6, -5);
    SetGain(9, 12);
    TypeQ(QStringLiteral("2.5"));
    QTest::keyClick(Dialog().QField(), Qt::Key_Return);
  }

  void ExpectFlat(const char* when) {
    for (int k = 0; k < kEqBands; ++k) {
      EXPECT_EQ(bank.m_gainDb[0][k], 0) << when << " band " << k;
      EXPECT_EQ(Dialog().Slider(k)->value(), 0) << when << " band " << k;
      EXPECT_EQ(Dialog().GainLabel(k)->text(), QStringLiteral("  0")) << when << " band " << k;
      for (float db : bank.m_bandResponse[k]) ASSERT_EQ(db, 0.0f) << when << " band " << k;
    }
    for (float db : bank.m_totalResponse) ASSERT_EQ(db, 0.0f) << when;
  }

  static constexpr EqBandGains kSetting = {-24, 0, 0, 7, 0, 0, -5, 0, 0, 12, 0};
};

TEST_F(EqualizerPresetTest, CtrlClickStoresAndPlainClickLoads) {
  MakeSetting();
  ASSERT_EQ(CurrentGains(), kSetting);
  const std::optional<QString> message =
      MessageDuring([&] { ClickPreset(2, Qt::ControlModifier); });
  EXPECT_EQ(message, std::nullopt);
  // Stored into the working copy and the settings; the current setting stays.
  EXPECT_EQ(CurrentGains(), kSetting);
  EXPECT_EQ(Dialog().QField()->text(), QStringLiteral("2.5"));
  EXPECT_EQ(settings.m_eqPresetGain[1], kSetting);
  EXPECT_EQ(settings.m_eqPresetQ[1], 2.5f);
  EXPECT_EQ(bank.m_q[2], 2.5f);
  for (int n : {0, 2, 3}) EXPECT_EQ(settings.m_eqPresetGain[n], EqBandGains{}) << n;

  QTest::mouseClick(Dialog().ResetButton(), Qt::LeftButton);
  ExpectFlat("after Reset");
  EXPECT_EQ(Dialog().QField()->text(), QStringLiteral("1.0"));
  EXPECT_EQ(bank.m_q[0], 1.0f);

  ClickPreset(2);
  EXPECT_EQ(CurrentGains(), kSetting);
  EXPECT_EQ(SliderGains(), kSetting);
  EXPECT_EQ(Dialog().QField()->text(), QStringLiteral("2.500"));
  EXPECT_EQ(bank.m_q[0], 2.5f);
  EXPECT_EQ(Dialog().GainLabel(3)->text(), QStringLiteral("  7"));
  EXPECT_EQ(Dialog().GainLabel(0)->text(), QStringLiteral("-24"));
  EXPECT_NEAR(bank.m_bandResponse[3][120], 7.0, 0.01);

  // A preset never stored is the flat one.
  ClickPreset(4);
  ExpectFlat("after loading an empty preset");
  EXPECT_EQ(Dialog().QField()->text(), QStringLiteral("1.000"));
}

// Presets come from the settings when the window is made. Gains beyond the
// sliders' range stop at the ends; a Q that is no Q is refused on loading.
TEST_F(EqualizerPresetTest, PresetsFromTheSettings) {
  settings.m_eqPresetGain[0] = {3, -3, 40, INT_MIN, INT_MAX, -25, 13, 0, 0, 0, 1};
  settings.m_eqPresetQ[0] = 0.7f;
  settings.m_eqPresetGain[2] = {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  settings.m_eqPresetQ[2] = 0.0f;

  ClickPreset(1);
  EXPECT_EQ(CurrentGains(), (EqBandGains{3, -3, 12, -24, 12, -24, 12, 0, 0, 0, 1}));
  EXPECT_EQ(Dialog().QField()->text(), QStringLiteral("0.700"));
  EXPECT_FLOAT_EQ(bank.m_q[0], 0.7f);

  const std::optional<QString> message = MessageDuring([&] { ClickPreset(3); });
  EXPECT_EQ(message, QStringLiteral("Q値は正の実数です"));
  EXPECT_EQ(Dialog().QField()->text(), QStringLiteral("1.0"));
  EXPECT_EQ(bank.m_q[0], 1.0f);
  EXPECT_EQ(bank.m_gainDb[0][0], 6);
}

// A stored preset written to the settings file and read in the next run
// loads the same gains and Q.
TEST_F(EqualizerPresetTest, StoredPresetsSurviveTheSettingsFile) {
  MakeSetting();
  ClickPreset(4, Qt::ControlModifier);
  SetGain(5, -1);
  ClickPreset(1, Qt::ControlModifier);

  test::TempDir dir;
  const std::string path = dir.File("velmio.ini");
  ASSERT_TRUE(WriteSettingsFile(path, settings, nullptr));
  AnalysisSettings nextRun;
  ASSERT_TRUE(ReadSettingsFile(path, nextRun));
  Equalizer nextBank;
  LoadEqualizerPresets(nextRun, nextBank);
  CEQdlg next(nextBank, {});
  QTest::mouseClick(next.PresetButton(4), Qt::LeftButton);
  for (int k = 0; k < kEqBands; ++k) EXPECT_EQ(nextBank.m_gainDb[0][k], kSetting[k]) << k;
  EXPECT_EQ(next.QField()->text(), QStringLiteral("2.500"));
  QTest::mouseClick(next.PresetButton(1), Qt::LeftButton);
  EXPECT_EQ(nextBank.m_gainDb[0][5], -1);
  EXPECT_EQ(nextBank.m_gainDb[0][9], 12);
}

}  // namespace
}  // namespace velmio::ui

// The voice-conversion window driven as a user would: command 32829 opens
// one window, the file commands are off while it is open, the fixed
// settings show their ranges and read-outs, a Ctrl+click stores a preset,
// and "閉じる" lets it go.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "FrameFixture.h"
#include "ui/VoiceConversionDialog.h"

namespace velmio::ui {
namespace {

class VoiceDialogTest : public test::FrameFixture {
 protected:
  CVCdlg* Dialog() { return frame.findChild<CVCdlg*>(); }
};

TEST_F(VoiceDialogTest, OneWindowAndTheFileCommandsWaitForIt) {
  frame.RunCommand(kCmdOpenSingleVoice);
  CVCdlg* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("TD-PSOLAによるピッチ検出とピッチ変換の設定"));
  for (int id : {kCmdFileOpen, kCmdOpenSingleVoice, kCmdOpenAnalysisData})
    EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
  frame.RunCommand(kCmdOpenSingleVoice);
  EXPECT_EQ(frame.findChildren<CVCdlg*>().size(), 1);

  EXPECT_EQ(dialog->LowList()->count(), 97);
  EXPECT_EQ(dialog->LowList()->itemText(0), QStringLiteral("C_0"));
  EXPECT_EQ(dialog->LowList()->itemText(37), QStringLiteral("C#3"));
  EXPECT_EQ(dialog->HighList()->itemText(96), QStringLiteral("C_8"));
  EXPECT_EQ(dialog->LowList()->currentText(), QStringLiteral("G_2"));
  EXPECT_EQ(dialog->HighList()->currentText(), QStringLiteral("E_5"));
  EXPECT_EQ(dialog->PitchLabel()->text(), QStringLiteral("100% ( 0.0)"));
  EXPECT_TRUE(dialog->OpenButton()->isEnabled());
  EXPECT_FALSE(dialog->RerunButton()->isEnabled());
  EXPECT_FALSE(dialog->SaveButton()->isEnabled());

  QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
  EXPECT_TRUE(test::WaitFor([this] { return Dialog() == nullptr; }));
  EXPECT_TRUE(frame.Action(kCmdOpenSingleVoice)->isEnabled());
  EXPECT_TRUE(frame.Action(kCmdFileOpen)->isEnabled());
}

TEST_F(VoiceDialogTest, FixedSettingsShowTheirRangesAndReadOuts) {
  frame.RunCommand(kCmdOpenSingleVoice);
  CVCdlg* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  struct Case {
    FixedVoiceSetting which;
    const char *low, *high, *pitch, *formant;
  };
  const Case cases[] = {
      {FixedVoiceSetting::kMaleToFemale, "G_2", "E_4", "200% (+12.0)", "141% (+6.0)"},
      {FixedVoiceSetting::kFemaleToMale, "G_3", "E_5", " 50% (-12.0)", " 71% (-6.0)"},
      {FixedVoiceSetting::kReset, "G_2", "E_5", "100% ( 0.0)", "100% ( 0.0)"},
  };
  for (const Case& c : cases) {
    QTest::mouseClick(dialog->FixedButton(c.which), Qt::LeftButton);
    EXPECT_EQ(dialog->LowList()->currentText(), QString::fromUtf8(c.low));
    EXPECT_EQ(dialog->HighList()->currentText(), QString::fromUtf8(c.high));
    EXPECT_EQ(dialog->PitchLabel()->text(), QString::fromUtf8(c.pitch));
    EXPECT_EQ(dialog->FormantLabel()->text(), QString::fromUtf8(c.formant));
  }
  // A slider move reaches the view's ratios and the read-out at once.
  dialog->PitchSlider()->setValue(48);
  EXPECT_EQ(dialog->PitchLabel()->text(), QStringLiteral("400% (+24.0)"));
  EXPECT_FLOAT_EQ(View().VoiceDialog().Ratios().pitch, 4.0f);
}

TEST_F(VoiceDialogTest, CtrlClickStoresAPresetAndAClickBringsItBack) {
  frame.RunCommand(kCmdOpenSingleVoice);
  CVCdlg* dialog = Dialog();
  ASSERT_NE(dialog, nullptr);
  dialog->LowList()->setCurrentIndex(40);
  dialog->FormantSlider()->setValue(-7);
  QTest::mouseClick(dialog->PresetButton(2), Qt::LeftButton, Qt::ControlModifier);
  QTest::mouseClick(dialog->FixedButton(FixedVoiceSetting::kReset), Qt::LeftButton);
  QTest::mouseClick(dialog->PresetButton(2), Qt::LeftButton);
  EXPECT_EQ(dialog->LowList()->currentIndex(), 40);
  EXPECT_EQ(dialog->FormantSlider()->value(), -7);
  EXPECT_EQ(View().Settings().m_vcPresets[2].formantPosition, -7);
}

}  // namespace
}  // namespace velmio::ui

// "イコライザー表示" in the main window: the command shows and hides one
// equalizer window, the menu check follows however it is closed, the window
// edits the bank playback uses, and stored presets reach the settings file.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "FrameFixture.h"
#include "persist/SettingsFile.h"
#include "ui/EqualizerDialog.h"

namespace velmio::ui {
namespace {

CEQdlg* FindEqualizer(const QWidget& frame) {
  CEQdlg* found = nullptr;
  for (QDialog* dialog : frame.findChildren<QDialog*>()) {
    if (auto* eq = dynamic_cast<CEQdlg*>(dialog)) found = eq;
  }
  return found;
}

class EqualizerCommandTest : public test::FrameFixture {};

TEST_F(EqualizerCommandTest, CommandShowsAndHidesOneWindow) {
  QAction* action = frame.Action(kCmdEqualizer);
  EXPECT_TRUE(action->isEnabled());
  EXPECT_EQ(FindEqualizer(frame), nullptr);  // made on the first show only

  QTest::mouseClick(Button(kCmdEqualizer), Qt::LeftButton);
  CEQdlg* dialog = FindEqualizer(frame);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(action->isChecked());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("グラフィック・イコライザー"));

  frame.RunCommand(kCmdEqualizer);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_FALSE(action->isChecked());

  frame.RunCommand(kCmdEqualizer);
  EXPECT_EQ(FindEqualizer(frame), dialog);
  EXPECT_TRUE(action->isChecked());
  // Closed by its own button: the check goes at once, not with the next refresh.
  QTest::mouseClick(dialog->CloseButton(), Qt::LeftButton);
  EXPECT_FALSE(action->isChecked());
  EXPECT_FALSE(Button(kCmdEqualizer)->isChecked());
  frame.RunCommand(kCmdEqualizer);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(FindEqualizer(frame), dialog);
}

TEST_F(EqualizerCommandTest, WindowEditsThePlaybackBank) {
  frame.RunCommand(kCmdEqualizer);
  CEQdlg* dialog = FindEqualizer(frame);
  ASSERT_NE(dialog, nullptr);
  Equalizer& bank = View().EqualizerBank();
  dialog->Slider(6)->setValue(-4);
  EXPECT_EQ(bank.m_gainDb[0][6], 4);
  EXPECT_NEAR(bank.m_bandResponse[6][240], 4.0, 0.01);
  QTest::mouseClick(dialog->EnableBox(), Qt::LeftButton);
  EXPECT_EQ(bank.m_enabled, 1);
  frame.RunCommand(kCmdEqualizer);  // hidden, the equalizer stays on
  EXPECT_EQ(bank.m_enabled, 1);
}

// Presets stored in one run are in the settings file after it, and the next
// run's window loads them; closing with the window open is orderly.
TEST(EqualizerSettingsTest, StoredPresetReachesTheNextRun) {
  test::TempDir dir;
  {
    VirtualWaveOutDevice waveOut;
    CMainFrame frame(test::PathsIn(dir), nullptr, waveOut);
    frame.RunCommand(kCmdEqualizer);
    CEQdlg* dialog = FindEqualizer(frame);
    ASSERT_NE(dialog, nullptr);
    dialog->Slider(1)->setValue(5);
    dialog->QField()->setText(QStringLiteral("0.5"));
    dialog->Slider(2)->setValue(-3);
    QTest::mouseClick(dialog->PresetButton(3), Qt::LeftButton, Qt::ControlModifier);
  }
  AnalysisSettings stored;
  ASSERT_TRUE(ReadSettingsFile(test::PathsIn(dir).iniPath, stored));
  EXPECT_EQ(stored.m_eqPresetGain[2], (EqBandGains{0, -5, 3, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FLOAT_EQ(stored.m_eqPresetQ[2], 0.5f);

  VirtualWaveOutDevice waveOut;
  CMainFrame next(test::PathsIn(dir), nullptr, waveOut);
  next.RunCommand(kCmdEqualizer);
  CEQdlg* dialog = FindEqualizer(next);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Slider(1)->value(), 0);  // each run starts flat
  QTest::mouseClick(dialog->PresetButton(3), Qt::LeftButton);
  EXPECT_EQ(dialog->Slider(1)->value(), 5);
  EXPECT_EQ(dialog->QField()->text(), QStringLiteral("0.500"));
  EXPECT_EQ(next.View().EqualizerBank().m_gainDb[0][2], 3);
}

}  // namespace
}  // namespace velmio::ui

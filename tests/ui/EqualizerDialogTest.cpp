// The equalizer window driven as a user would: sliders redesign their band
// and its read-out, the graph follows the responses, a bad Q is refused with
// the message, the check box switches the bank, and hiding keeps the bank.
#include <cmath>
#include <limits>

#include "EqualizerFixture.h"
#include "ui/EqualizerGraph.h"

namespace velmio::ui {
namespace {

using test::EqualizerFixture;

class EqualizerDialogTest : public EqualizerFixture {};

TEST_F(EqualizerDialogTest, OpensFlatAndDisabledWithItsTexts) {
  CEQdlg& dialog = Dialog();
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("グラフィック・イコライザー"));
  EXPECT_FALSE(dialog.isModal());
  EXPECT_EQ(dialog.QField()->text(), QStringLiteral("1.0"));
  EXPECT_FALSE(dialog.EnableBox()->isChecked());
  EXPECT_EQ(dialog.EnableBox()->text(), QStringLiteral("EQを有効にする"));
  EXPECT_EQ(dialog.CloseButton()->text(), QStringLiteral("閉じる"));
  EXPECT_EQ(dialog.ResetButton()->text(), QStringLiteral("Reset"));
  auto* hint = dialog.findChild<QLabel*>(QStringLiteral("1046"));
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->text(), QStringLiteral("Ctrl+クリックで保存"));
  for (int k = 0; k < kEqBands; ++k) {
    EXPECT_EQ(dialog.GainLabel(k)->text(), QStringLiteral("  0")) << k;
    EXPECT_EQ(dialog.Slider(k)->value(), 0) << k;
    EXPECT_EQ(dialog.Slider(k)->minimum(), -12) << k;
    EXPECT_EQ(dialog.Slider(k)->maximum(), 24) << k;
    for (float db : bank.m_bandResponse[k]) ASSERT_EQ(db, 0.0f) << k;
  }
  // The first design already ran with the field's Q: a preset stored now
  // carries 1.0, never the undesigned 0.
  EXPECT_EQ(bank.m_q[0], 1.0f);
  EXPECT_EQ(bank.m_enabled, 0);
}

// Each move redesigns its own band only; the read-out shows the gain with
// "%3d" and the band's response peaks at that gain on its centre.
TEST_F(EqualizerDialogTest, SliderMovesRedesignTheirBandAndLabel) {
  CEQdlg& dialog = Dialog();
  struct Move {
    int band;
    int gainDb;
    const char* label;
  };
  const Move moves[] = {{5, 12, " 12"}, {0, -24, "-24"}, {9, 6, "  6"}, {5, -3, " -3"}};
  for (const Move& move : moves) {
    float before[kEqBands][kEqResponsePoints];
    std::copy(&bank.m_bandResponse[0][0],
              &bank.m_bandResponse[0][0] + sizeof before / sizeof(float), &before[0][0]);
    SetGain(move.band, move.gainDb);
    EXPECT_EQ(bank.m_gainDb[0][move.band], move.gainDb);
    EXPECT_EQ(dialog.GainLabel(move.band)->text(), QString::fromLatin1(move.label));
    // The display frequency of column 40 k is the centre of band k, where a
    // peaking section's gain is its setting. At C0 (w0 about 0.002 rad) the
    // single-precision coefficients miss it by up to 0.03 dB.
    EXPECT_NEAR(bank.m_bandResponse[move.band][40 * move.band], move.gainDb, 0.05) << move.band;
    for (int k = 0; k < kEqBands; ++k) {
      if (k == move.band) continue;
      EXPECT_TRUE(
          std::equal(bank.m_bandResponse[k], bank.m_bandResponse[k] + kEqResponsePoints, before[k]))
          << "band " << k << " changed with band " << move.band;
    }
  }
  // The total is the sum of the bands: 12 + 0 ... at C5 became -3.
  EXPECT_NEAR(bank.m_totalResponse[200], -3.0, 0.05);
}

// Up and Page Up raise the gain, as the handle moves up; the ends hold.
TEST_F(EqualizerDialogTest, KeysMoveTheSliderTheWayItLooks) {
  QSlider* slider = Dialog().Slider(4);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Up);
  QTest::keyClick(slider, Qt::Key_PageUp);
  EXPECT_EQ(bank.m_gainDb[0][4], 2);
  EXPECT_EQ(Dialog().GainLabel(4)->text(), QStringLiteral("  2"));
  for (int i = 0; i < 20; ++i) QTest::keyClick(slider, Qt::Key_Up);
  EXPECT_EQ(bank.m_gainDb[0][4], 12);
  QTest::keyClick(slider, Qt::Key_End);
  EXPECT_EQ(bank.m_gainDb[0][4], -24);
  QTest::keyClick(slider, Qt::Key_Down);
  EXPECT_EQ(bank.m_gainDb[0][4], -24);
}

TEST_F(EqualizerDialogTest, GraphRowsFromDecibels) {
  const std::pair<float, int> cases[] = {{0.0f, 50},
                                         {12.0f, 0},
                                         {6.0f, 25},
                                         {-24.0f, 150},
                                         {-12.0f, 100},
                                         {0.01f, 49},
                                         {-0.01f, 50},
                                         {30.0f, 0},
                                         {-40.0f, 150},
                                         {-23.9f, 149},
                                         {-std::numeric_limits<float>::infinity(), 150},
                                         {std::numeric_limits<float>::infinity(), 0},
                                         {std::numeric_limits<float>::quiet_NaN(), 0}};
  for (const auto& [db, row] : cases) EXPECT_EQ(EqGraphRow(db), row) << db;
}

// The white total curve leaves the 0 dB line for the +12 dB line at C5, and
// the widget shows exactly the rendered picture.
TEST_F(EqualizerDialogTest, GraphFollowsTheSliders) {
  CEQdlg& dialog = Dialog();
  const QColor white(255, 255, 255);
  const QColor grid(0, 128, 0);
  QImage flat = RenderEqualizerGraph(bank);
  EXPECT_EQ(flat.pixelColor(200, 50), white);
  EXPECT_EQ(flat.pixelColor(200, 0), grid);
  EXPECT_EQ(flat.pixelColor(13, 7), QColor(Qt::black));

  SetGain(5, 12);
  const QImage boosted = RenderEqualizerGraph(bank);
  EXPECT_EQ(boosted.pixelColor(200, 0), white);
  EXPECT_NE(boosted.pixelColor(200, 50), white);
  // Everywhere the white curve lies on the row of the total response.
  for (int x : {20, 100, 190, 200, 210, 300, 399}) {
    EXPECT_EQ(boosted.pixelColor(x, EqGraphRow(bank.m_totalResponse[x])), white) << x;
  }

  const QImage shown = dialog.Graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, boosted);
}

struct QCase {
  const char* typed;
  bool refused;
  float q;  // the Q in force afterwards
};

// What the field holds is read with atof's rules when a slider moves; a
// value that is not a positive finite number is refused with the message.
TEST_F(EqualizerDialogTest, QFieldIsCheckedWhenASliderMoves) {
  const QCase cases[] = {{"2.5", false, 2.5f},
                         {"  0.75xyz", false, 0.75f},
                         {"+.5", false, 0.5f},
                         {"3,5", false, 3.0f},
                         {"0x1p1", false, 2.0f},
                         {"1e-3", false, 0.001f},
                         {"0", true, 1.0f},
                         {"-2", true, 1.0f},
                         {"abc", true, 1.0f},
                         {"", true, 1.0f},
                         {"nan", true, 1.0f},
                         {"inf", true, 1.0f},
                         {"1e400", true, 1.0f},
                         {"1e-60", true, 1.0f},
                         // The Q in use is the one the settings file keeps: three decimals, and
                         // nothing that would be kept as 0.000.
                         {"0.0004", true, 1.0f},
                         {"0.0005", false, 0.001f},
                         {"1.2345", false, 1.235f}};
  CEQdlg& dialog = Dialog();
  int gain = 0;
  for (const QCase& c : cases) {
    TypeQ(QString::fromLatin1(c.typed));
    gain = gain == 3 ? -3 : 3;  // a real move every time
    const std::optional<QString> message = MessageDuring([&] { SetGain(7, gain); });
    if (c.refused) {
      EXPECT_EQ(message, QStringLiteral("Q値は正の実数です")) << c.typed;
      EXPECT_EQ(dialog.QField()->text(), QStringLiteral("1.0")) << c.typed;
    } else {
      EXPECT_EQ(message, std::nullopt) << c.typed;
      EXPECT_EQ(dialog.QField()->text(), QString::fromLatin1(c.typed)) << c.typed;
    }
    EXPECT_FLOAT_EQ(bank.m_q[0], c.q) << c.typed;
    EXPECT_EQ(bank.m_gainDb[0][7], gain) << c.typed;
  }
}

// A new Q redesigns every band; Enter in the field applies it at once.
TEST_F(EqualizerDialogTest, EnterAppliesTheQToEveryBand) {
  CEQdlg& dialog = Dialog();
  SetGain(2, 9);
  SetGain(8, -9);
  const float wide = bank.m_bandResponse[2][40 * 2 + 20];
  const float wideCut = bank.m_bandResponse[8][40 * 8 + 20];
  TypeQ(QStringLiteral("4"));
  EXPECT_EQ(bank.m_q[0], 1.0f);  // typing alone changes nothing
  QTest::keyClick(dialog.QField(), Qt::Key_Return);
  EXPECT_EQ(bank.m_q[0], 4.0f);
  EXPECT_TRUE(dialog.isVisible());  // Enter presses no button
  // Half an octave from the centre a narrower band has less effect.
  EXPECT_LT(bank.m_bandResponse[2][40 * 2 + 20], wide);
  EXPECT_GT(bank.m_bandResponse[8][40 * 8 + 20], wideCut);
  EXPECT_EQ(bank.m_gainDb[0][2], 9);
}

TEST_F(EqualizerDialogTest, CheckBoxSwitchesTheBankAndHidingKeepsIt) {
  CEQdlg& dialog = Dialog();
  QTest::mouseClick(dialog.EnableBox(), Qt::LeftButton);
  EXPECT_EQ(bank.m_enabled, 1);
  QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(bank.m_enabled, 1);
  dialog.show();
  EXPECT_TRUE(dialog.EnableBox()->isChecked());
  QTest::mouseClick(dialog.EnableBox(), Qt::LeftButton);
  EXPECT_EQ(bank.m_enabled, 0);
}

// "閉じる", the close box and Escape all hide the window and say so; shown
// again, the sliders stand at the bank's gains.
TEST_F(EqualizerDialogTest, HideAndShowAgain) {
  CEQdlg& dialog = Dialog();
  int notices = 0;
  dialog.SetVisibilityListener([&notices] { ++notices; });
  SetGain(3, 5);
  const std::function<void()> hiders[] = {
      [&] { QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton); }, [&] { dialog.close(); },
      [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }};
  for (const auto& hide : hiders) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int shownNotices = notices;
    hide();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(notices, shownNotices + 1);
  }
  bank.m_gainDb[0][3] = -7;  // as a change made while hidden
  dialog.show();
  EXPECT_EQ(dialog.Slider(3)->value(), 7);
  EXPECT_EQ(dialog.GainLabel(3)->text(), QStringLiteral(" -7"));
}

}  // namespace
}  // namespace velmio::ui

// The settings dialog as a user meets it: the view's values shown, OK with a
// number field that holds no integer of its range refused with the message
// and the dialog left open, the choices read back after OK.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>

#include "UiTestSupport.h"
#include "ui/SettingDialog.h"

namespace velmio::ui {
namespace {

template <typename T>
T* Control(CSettingDlg& dialog, const char* id) {
  T* control = dialog.findChild<T*>(QString::fromLatin1(id));
  EXPECT_NE(control, nullptr) << id;
  return control;
}

SettingsDialogValues Stored() {
  SettingsDialogValues v;
  v.m_binsPerSemitone = 8;
  v.m_lowNote = 24;
  v.m_highNote = 96;
  v.m_a4Frequency = 442;
  v.m_midiInstrument = 25;
  v.m_harmonicsCount = 4;
  v.m_vocalLowestNote = 13;
  return v;
}

TEST(SettingDialogTest, ShowsTheValuesAndReadsThemBack) {
  CSettingDlg dialog(Stored(), {});
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定"));
  EXPECT_EQ(Control<QComboBox>(dialog, "1004")->currentText(), QStringLiteral("8"));
  EXPECT_EQ(Control<QComboBox>(dialog, "1000")->currentText(), QStringLiteral("C2"));
  EXPECT_EQ(Control<QComboBox>(dialog, "1001")->currentText(), QStringLiteral("C8"));
  EXPECT_EQ(Control<QComboBox>(dialog, "1008")->currentText(), QStringLiteral("4"));
  QComboBox* vocal = Control<QComboBox>(dialog, "1009");
  EXPECT_EQ(vocal->count(), 37);
  EXPECT_EQ(vocal->itemText(0), QStringLiteral("C_2"));
  EXPECT_EQ(vocal->itemText(13), QStringLiteral("C#3"));
  EXPECT_EQ(vocal->itemText(36), QStringLiteral("C_5"));
  EXPECT_EQ(Control<QLineEdit>(dialog, "1002")->text(), QStringLiteral("442"));
  EXPECT_EQ(Control<QLabel>(dialog, "1077")->text(), QStringLiteral("設定なし"));

  Control<QComboBox>(dialog, "1004")->setCurrentIndex(1);
  Control<QLineEdit>(dialog, "1003")->setText(QStringLiteral(" 74 "));
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Values().m_binsPerSemitone, 2);
  EXPECT_EQ(dialog.Values().m_midiInstrument, 74);
  EXPECT_EQ(dialog.Values().m_lowNote, 24);
  EXPECT_EQ(dialog.Values().m_vocalLowestNote, 13);
}

// A stored resolution the lists do not hold shows as 1 and becomes 1 on OK.
TEST(SettingDialogTest, UnknownResolutionBecomesOne) {
  SettingsDialogValues v = Stored();
  v.m_binsPerSemitone = 3;
  CSettingDlg dialog(v, {});
  dialog.accept();
  EXPECT_EQ(dialog.Values().m_binsPerSemitone, 1);
}

TEST(SettingDialogTest, NumberFieldsOutsideTheirRangeKeepTheDialogOpen) {
  struct FieldCase {
    const char* field;
    const char* text;
    const char* range;
  };
  const FieldCase cases[] = {
      {"1002", "440.5", "(220 - 880)"}, {"1002", "0", "(220 - 880)"},
      {"1002", "", "(220 - 880)"},      {"1003", "129", "(1 - 128)"},
      {"1003", "0", "(1 - 128)"},       {"1003", "piano", "(1 - 128)"},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " = " + c.text);
    CSettingDlg dialog(Stored(), {});
    dialog.show();
    QLineEdit* field = Control<QLineEdit>(dialog, c.field);
    field->setText(QString::fromUtf8(c.text));
    QString message;
    test::ModalAnswerer<QMessageBox> answer([&](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    dialog.accept();
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(message, QStringLiteral("Enter an integer.\n") + QString::fromLatin1(c.range));
    EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    // The field is made ready for the correction (focus follows once the window is active).
    EXPECT_EQ(field->selectedText(), field->text());
  }
}

}  // namespace
}  // namespace velmio::ui

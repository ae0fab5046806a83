// "小節表示" in the main window: the command opens the tempo window with a
// proposal, typing and OK store the grid, the metre refusal is a message box,
// Escape discards the edits, and the command's check follows the bar display.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "FrameFixture.h"
#include "ui/TempoDialog.h"

namespace velmio::ui {
namespace {

class TempoDialogTest : public test::FrameFixture {
 protected:
  void OpenTone() {
    ASSERT_TRUE(View().Open(tone, OpenMode::kRecording));
    ASSERT_TRUE(WaitForResult());
  }
  static void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
  }
  static void Retype(QComboBox* list, const QString& text) {
    list->lineEdit()->selectAll();
    QTest::keyClicks(list->lineEdit(), text);
  }
  CTempoDlg& Dialog() { return frame.TempoDialog(); }
};

TEST_F(TempoDialogTest, MadeHiddenWithTheLists) {
  EXPECT_FALSE(Dialog().isVisible());
  EXPECT_EQ(Dialog().windowTitle(), QStringLiteral("テンポ、拍子の設定"));
  EXPECT_EQ(Dialog().BeatsPerBarList()->count(), 4);
  EXPECT_EQ(Dialog().BeatsPerBarList()->currentText(), QStringLiteral("4"));
  EXPECT_EQ(Dialog().BeatUnitList()->itemText(2), QStringLiteral("8"));
  EXPECT_EQ(Dialog().BeatUnitList()->currentText(), QStringLiteral("4"));
  EXPECT_EQ(Dialog().TempoEdit()->text(), QStringLiteral("0"));
  EXPECT_EQ(Dialog().MessageLine()->text(),
            QStringLiteral("値を推定しました。適宜修正して下さい。"));
  EXPECT_FALSE(frame.Action(kCmdBarDisplay)->isEnabled());  // nothing to show yet
}

TEST_F(TempoDialogTest, CommandProposesAndOkStoresWhatWasTyped) {
  OpenTone();
  frame.RunCommand(kCmdBarDisplay);
  ASSERT_TRUE(Dialog().isVisible());
  EXPECT_TRUE(frame.Action(kCmdBarDisplay)->isChecked());
  EXPECT_EQ(Dialog().MessageLine()->text(), QStringLiteral("推定値です。適宜修正して下さい。"));
  EXPECT_EQ(Dialog().TempoEdit()->text().toInt(), View().ProposeTempo().tempo);

  Retype(Dialog().TempoEdit(), "132");
  Retype(Dialog().StartEdit(), "250");
  Retype(Dialog().BeatsPerBarList(), "3");
  QTest::mouseClick(Dialog().OkButton(), Qt::LeftButton);
  EXPECT_FALSE(Dialog().isVisible());
  EXPECT_EQ(View().Tempo(), (TempoGrid{132, 3, 4, 250}));
  EXPECT_TRUE(frame.Action(kCmdBarDisplay)->isChecked());

  frame.RunCommand(kCmdBarDisplay);
  EXPECT_FALSE(frame.Action(kCmdBarDisplay)->isChecked());
  frame.RunCommand(kCmdBarDisplay);
  EXPECT_EQ(Dialog().MessageLine()->text(), QStringLiteral("以前の設定値を表示しています。"));
  EXPECT_EQ(Dialog().TempoEdit()->text(), QStringLiteral("132"));
}

TEST_F(TempoDialogTest, SixFourIsRefusedWithAMessageBox) {
  OpenTone();
  frame.RunCommand(kCmdBarDisplay);
  Retype(Dialog().TempoEdit(), "90");
  Dialog().BeatsPerBarList()->setCurrentIndex(3);
  QString text;
  test::ModalAnswerer<QMessageBox> answerer([&text](QMessageBox* box) {
    text = box->text();
    box->button(QMessageBox::Ok)->click();
  });
  QTest::mouseClick(Dialog().OkButton(), Qt::LeftButton);
  EXPECT_TRUE(answerer.Answered());
  EXPECT_EQ(text, QStringLiteral("エラー：　分子＞分母"));
  EXPECT_TRUE(Dialog().isVisible());
  EXPECT_FALSE(View().Tempo().IsSet());
}

TEST_F(TempoDialogTest, EscapeDiscardsTheEditsAndTypedTextKeepsTheStoredMetre) {
  OpenTone();
  frame.RunCommand(kCmdBarDisplay);
  Retype(Dialog().TempoEdit(), "100");
  Retype(Dialog().BeatUnitList(), "8");
  QTest::mouseClick(Dialog().OkButton(), Qt::LeftButton);
  frame.RunCommand(kCmdBarDisplay);
  frame.RunCommand(kCmdBarDisplay);

  Retype(Dialog().TempoEdit(), "70");
  QTest::keyClick(&Dialog(), Qt::Key_Escape);
  EXPECT_FALSE(Dialog().isVisible());
  EXPECT_EQ(Dialog().TempoEdit()->text(), QStringLiteral("100"));
  EXPECT_TRUE(frame.Action(kCmdBarDisplay)->isChecked());

  frame.RunCommand(kCmdBarDisplay);
  frame.RunCommand(kCmdBarDisplay);
  Retype(Dialog().BeatUnitList(), "16");  // no such item: the unit stays 8
  QTest::mouseClick(Dialog().OkButton(), Qt::LeftButton);
  EXPECT_EQ(View().Tempo().beatUnit, 8);
}

}  // namespace
}  // namespace velmio::ui

// The main window driven as a user would: toolbar buttons, accelerators,
// message boxes, dropped files, and the commands' states as the analysis runs.
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>

#include "FrameFixture.h"

namespace velmio::ui {
namespace {

using test::ModalAnswerer;

class MainFrameTest : public test::FrameFixture {};

TEST_F(MainFrameTest, WindowPlaceTitleAndToolbarButtons) {
  EXPECT_EQ(frame.pos(), QPoint(100, 100));
  EXPECT_EQ(frame.frameGeometry().size(), QSize(620, 432));
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("無題 - velmio"));
  auto* toolbar = frame.findChild<QToolBar*>(QStringLiteral("toolbar"));
  int buttons = 0;
  for (QAction* action : toolbar->actions()) {
    if (action->isSeparator()) continue;
    ++buttons;
    EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
    EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
    EXPECT_FALSE(action->statusTip().isEmpty()) << action->text().toStdString();
  }
  EXPECT_EQ(buttons, 21);
  EXPECT_EQ(Button(kCmdFileOpen)->toolTip(), QStringLiteral(".wavを開く"));
  EXPECT_EQ(frame.Action(kCmdFileOpen)->statusTip(),
            QStringLiteral("Wavファイルを開いて周波数解析を行う"));
  EXPECT_EQ(frame.DialogBar().ControlText(1035), QStringLiteral("時間  0:00.0 / 0:00.0"));
}

// Nothing loaded: opening and the display commands work; what needs a
// recording, and what later tools will do, is greyed out.
TEST_F(MainFrameTest, NothingLoadedStates) {
  ExpectActionsCurrent("nothing loaded");
  for (int id : {kCmdFileOpen, kCmdConditions, kCmdHelp, kCmdGainUp, kCmdHarmonics, kCmdGrid}) {
    EXPECT_TRUE(Button(id)->isEnabled()) << id;
  }
  for (int id : {kCmdSaveAnalysisData, kCmdPlay, kCmdStop, kCmdRewind, kCmdBarDisplay, kCmdPitch}) {
    EXPECT_FALSE(Button(id)->isEnabled()) << id;
  }
}

TEST_F(MainFrameTest, ToolbarButtonsRunTheirCommands) {
  QTest::mouseClick(Button(kCmdHarmonics), Qt::LeftButton);
  EXPECT_EQ(View().Settings().m_showHarmonics, 1);
  EXPECT_TRUE(Button(kCmdHarmonics)->isChecked());
  QTest::mouseClick(Button(kCmdHarmonics), Qt::LeftButton);
  EXPECT_EQ(View().Settings().m_showHarmonics, 0);
  EXPECT_FALSE(Button(kCmdHarmonics)->isChecked());

  QTest::mouseClick(Button(kCmdGainUp), Qt::LeftButton);
  EXPECT_EQ(View().Settings().m_levelTopDb, 26);
  EXPECT_EQ(frame.DialogBar().ControlText(1051), QStringLiteral("-46dB"));
  EXPECT_EQ(frame.DialogBar().ControlText(1052), QStringLiteral("-26dB"));
  // A disabled button does nothing when clicked.
  QTest::mouseClick(Button(kCmdPitch), Qt::LeftButton);
  EXPECT_EQ(View().SingleVoice().ShowsPitch(), 0);
}

// Ctrl+O opens through the file dialog; while the analysis runs the data
// commands are off at once (and their accelerators with them); after the
// take-over the window shows the result's read-outs.
TEST_F(MainFrameTest, AcceleratorOpensAndTheStatesFollowTheAnalysis) {
  QStringList filters;
  QString suffix;
  ModalAnswerer<QFileDialog> chooser([&](QFileDialog* dialog) {
    filters = dialog->nameFilters();
    suffix = dialog->defaultSuffix();
    dialog->selectFile(QString::fromStdString(tone));
    static_cast<QDialog*>(dialog)->accept();  // accept() is public on QDialog
  });
  QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
  ASSERT_TRUE(chooser.Answered());
  ASSERT_EQ(filters.size(), 2);  // the formats the program decodes, then any file
  EXPECT_TRUE(filters[0].startsWith(QStringLiteral("音声ファイル (*.wav *.mp3 *.mp4 *.m4a")));
  EXPECT_TRUE(filters[0].contains(QStringLiteral("*.flac *.ogg *.oga *.opus")));
  EXPECT_EQ(filters[1], QStringLiteral("すべてのファイル (*.*)"));
  EXPECT_EQ(suffix, QStringLiteral("wav"));
  EXPECT_EQ(View().Recording().FilePath(), tone);

  ASSERT_TRUE(View().CurrentAnalysis().IsBusy());
  ExpectActionsCurrent("analysing");
  EXPECT_FALSE(Button(kCmdFileOpen)->isEnabled());
  EXPECT_FALSE(Button(kCmdGainUp)->isEnabled());
  EXPECT_TRUE(Button(kCmdHarmonics)->isEnabled());
  EXPECT_TRUE(Button(kCmdConditions)->isEnabled());
  // The accelerator of a disabled command shows no dialog: exec() would not
  // return before the answer.
  ModalAnswerer<QFileDialog> second([](QFileDialog* dialog) { dialog->reject(); });
  QTest::keyClick(&frame, Qt::Key_O, Qt::ControlModifier);
  EXPECT_FALSE(second.Answered());

  ASSERT_TRUE(WaitForResult());
  ExpectActionsCurrent("after take-over");
  EXPECT_TRUE(Button(kCmdFileOpen)->isEnabled());
  EXPECT_TRUE(Button(kCmdGainUp)->isEnabled());
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("tone.wav"));
  EXPECT_TRUE(frame.StatusText(0).startsWith(QStringLiteral("処理時間  ")));
  EXPECT_TRUE(frame.StatusText(0).endsWith(QStringLiteral("(1ch 16bit 44100Hz)")));
  EXPECT_EQ(frame.StatusText(1), QStringLiteral("  0:00.0 / 0:01.0"));
  EXPECT_EQ(frame.DialogBar().ControlText(1035), QStringLiteral("時間  0:00.0 / 0:01.0"));
  EXPECT_EQ(frame.DialogBar().ControlText(1052), QStringLiteral("-24dB"));
}

TEST_F(MainFrameTest, ConditionsReportIsShownInAnInformationBox) {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  Qt::TextFormat format = Qt::AutoText;
  auto read = [&](QMessageBox* box) {
    format = box->textFormat();  // a path such as "<b>.wav" must show as written
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  };
  {
    ModalAnswerer<QMessageBox> answer(read);
    QTest::mouseClick(Button(kCmdConditions), Qt::LeftButton);
    ASSERT_TRUE(answer.Answered());
  }
  EXPECT_EQ(title, QStringLiteral("解析条件"));
  EXPECT_EQ(text, QStringLiteral("ファイルが選択されていません。"));
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(format, Qt::PlainText);

  Drop({QString::fromStdString(tone)});
  ASSERT_TRUE(WaitForResult());
  ModalAnswerer<QMessageBox> answer(read);
  frame.Action(kCmdConditions)->trigger();
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(text.toStdString(), View().AnalysisConditionsText());
  EXPECT_TRUE(
      text.contains(QStringLiteral(" 44100 Hz,  16 bit,  1 ch,  88200 byte\n 再生時間 0分 1秒0")));
}

TEST_F(MainFrameTest, HostMessagesCarryTheCaptionAndAnswer) {
  QString caption, text;
  Qt::TextFormat format = Qt::AutoText;
  ModalAnswerer<QMessageBox> answer([&](QMessageBox* box) {
    format = box->textFormat();
    caption = box->windowTitle();
    text = box->text();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(frame.ViewWidget().ShowMessage("一行目\r\n二行目", MessageButtons::kYesNo),
            MessageAnswer::kNo);
  EXPECT_EQ(caption, QStringLiteral("velmio"));
  EXPECT_EQ(text, QStringLiteral("一行目\n二行目"));
  EXPECT_EQ(format, Qt::PlainText);
}

// The first file only; the extension decides; nothing is taken while busy.
TEST_F(MainFrameTest, DroppedFiles) {
  const std::string text = dir.File("notes.txt");
  const std::string upper = dir.File("A.WAV");
  test::WriteToneWav(text, 1, 44100, 4410);
  test::WriteToneWav(upper, 2, 44100, 44100);

  EXPECT_TRUE(Drop({QString::fromStdString(text)}));
  EXPECT_EQ(View().Recording().FilePath(), "");  // not audio by its name, no decoder: ignored
  EXPECT_EQ(View().CurrentAnalysis().State(), AnalysisState::kIdle);

  EXPECT_TRUE(Drop({QString::fromStdString(upper), QString::fromStdString(tone)}));
  EXPECT_EQ(View().Recording().FilePath(), upper);
  ASSERT_TRUE(View().CurrentAnalysis().IsBusy());
  EXPECT_FALSE(Drop({QString::fromStdString(tone)}));
  EXPECT_EQ(View().Recording().FilePath(), upper);

  ASSERT_TRUE(WaitForResult());
  EXPECT_EQ(View().Recording().Format().nChannels, 2);
  EXPECT_EQ(frame.windowTitle(), QStringLiteral("A.WAV"));
}

TEST_F(MainFrameTest, DroppedAnalysisDataIsNotReadAsARecording) {
  Drop({QString::fromStdString(dir.File("take.VLX"))});
  EXPECT_EQ(View().Recording().FilePath(), "");
  EXPECT_FALSE(View().CurrentAnalysis().IsBusy());
}

TEST_F(MainFrameTest, CommandLineFileOpensLikeADrop) {
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.Dir())));
  frame.OpenFromCommandLine(QStringLiteral("tone.wav"));
  QDir::setCurrent(previous);
  EXPECT_EQ(QFileInfo(QString::fromStdString(View().Recording().FilePath())).canonicalFilePath(),
            QFileInfo(QString::fromStdString(tone)).canonicalFilePath());
  EXPECT_TRUE(QFileInfo(QString::fromStdString(View().Recording().FilePath())).isAbsolute());
  ASSERT_TRUE(WaitForResult());
}

TEST_F(MainFrameTest, AboutBoxShowsItsTextsAndClosesWithOk) {
  QString title;
  QStringList texts;
  QSize iconSize;
  ModalAnswerer<QDialog> answer([&](QDialog* dialog) {
    title = dialog->windowTitle();
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
      texts << label->text();
      const QPixmap icon = label->pixmap();
      if (!icon.isNull()) iconSize = icon.size();
    }
    dialog->findChild<QPushButton*>()->click();
  });
  frame.Action(kCmdAbout)->trigger();
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(title, QStringLiteral("バージョン情報 velmio"));
  EXPECT_TRUE(texts.contains(QStringLiteral("Velmio Versio 0.89")));
  EXPECT_TRUE(texts.contains(
      QStringLiteral("%1bit program for Linux").arg(static_cast<int>(sizeof(void*) * 8))));
  EXPECT_GE(std::min(iconSize.width(), iconSize.height()), 16);  // the application icon
}

TEST_F(MainFrameTest, HelpOpensThePageBesideTheProgram) {
  QUrl opened;
  frame.SetUrlOpener([&](const QUrl& url) { opened = url; });
  QTest::mouseClick(Button(kCmdHelp), Qt::LeftButton);
  EXPECT_EQ(opened, QUrl::fromLocalFile(QString::fromStdString(dir.File("help/velmio1.html"))));
}

// Ctrl+N keeps the data and initialises the view again: scroll sizes from
// the result, the legend timer running.
TEST_F(MainFrameTest, NewDocumentKeepsTheResult) {
  Drop({QString::fromStdString(tone)});
  ASSERT_TRUE(WaitForResult());
  const int frames = View().CurrentAnalysis().Result().m_frameCount;
  frame.ViewWidget().StopTimer(kTimerLegend);
  QTest::keyClick(&frame, Qt::Key_N, Qt::ControlModifier);
  EXPECT_TRUE(frame.ViewWidget().IsTimerActive(kTimerLegend));
  EXPECT_EQ(frame.ViewWidget().GetScrollSizes().contentWidth, frames + 40);
  EXPECT_EQ(View().CurrentAnalysis().State(), AnalysisState::kTakenOver);
  EXPECT_EQ(View().CurrentAnalysis().Result().m_frameCount, frames);
}

// Ctrl+P asks through the print dialog; the picture goes to the page scaled to fit.
TEST_F(MainFrameTest, PrintsTheViewsPicture) {
  Drop({QString::fromStdString(tone)});
  ASSERT_TRUE(WaitForResult());
  ModalAnswerer<QPrintDialog> cancel([](QPrintDialog* dialog) { dialog->reject(); });
  QTest::keyClick(&frame, Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(cancel.Answered());

  // On a page of another shape the picture keeps its proportions and fills one side.
  const QImage picture = View().RenderToImage();
  QImage page(2000, 3000, QImage::Format_RGB32);
  page.fill(Qt::magenta);
  frame.PrintViewPicture(page);
  QRect painted;
  for (int y = 0; y < page.height(); y += 4) {
    for (int x = 0; x < page.width(); x += 4) {
      if (page.pixel(x, y) != QColor(Qt::magenta).rgb()) painted |= QRect(x, y, 4, 4);
    }
  }
  EXPECT_EQ(painted.topLeft(), QPoint(0, 0));
  EXPECT_EQ(painted.width(), 2000);
  EXPECT_NEAR(double(painted.height()) / painted.width(),
              double(picture.height()) / picture.width(), 0.01);
}

TEST_F(MainFrameTest, MouseGesturesReachTheView) {
  Drop({QString::fromStdString(tone)});
  ASSERT_TRUE(WaitForResult());
  // Opened scrolled to the middle of the range; from the top, a click on row
  // 20 (y = 16 + 8 * 20) sounds MIDI note 120 - 20 + 11 = 111.
  frame.ViewWidget().verticalScrollBar()->setValue(0);
  const auto sent = [this](const char* message) {
    return [this, message] {
      for (const std::string& call : midi.Calls()) {
        if (call == message) return true;
      }
      return false;
    };
  };
  QTest::mouseClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 16 + 8 * 20 + 3));
  EXPECT_TRUE(test::WaitFor(sent("90 6F 7F"), 5000));
  EXPECT_TRUE(test::WaitFor(sent("90 6F 00"), 5000));
  QTest::mouseDClick(Viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(140, 100));
  EXPECT_EQ(View().Playback().CursorFrame(), 100);
}

}  // namespace
}  // namespace velmio::ui

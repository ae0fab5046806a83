// What a new user sees first: a truthful About box, toolbar icons that stay
// legible on a dark theme, a window that cannot be shrunk until its texts
// overprint, and Qt's standard dialogs in Japanese.
#include <QDialogButtonBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QStatusBar>

#include "FrameFixture.h"
#include "ui/AboutDialog.h"
#include "ui/QtTranslations.h"
#include "ui/ToolbarIcons.h"

namespace velmio::ui {
namespace {

class FirstImpressionTest : public test::FrameFixture {};

TEST(AboutBox, SaysWhatThisBuildIsAndItsLicence) {
  CAboutDlg about;
  const auto* build = about.findChild<QLabel*>(QStringLiteral("build"));
  ASSERT_NE(build, nullptr);
  EXPECT_EQ(build->text(),
            QStringLiteral("%1bit program for Linux").arg(static_cast<int>(sizeof(void*) * 8)));
  const auto* notice = about.findChild<QLabel*>(QStringLiteral("1061"));
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->text().contains(QStringLiteral("GPL v3"))) << notice->text().toStdString();
  // Every text fits its line.
  for (const QLabel* label : about.findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
        << label->text().toStdString();
  }
}

// The lightest and the darkest opaque pixel of a command's icon.
std::pair<int, int> LightnessRange(int id) {
  const QImage image = CommandIcon(id).pixmap(QSize(20, 20)).toImage();
  int lightest = 0, darkest = 255;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() < 200) continue;
      lightest = std::max(lightest, c.lightness());
      darkest = std::min(darkest, c.lightness());
    }
  }
  return {lightest, darkest};
}

// The outlined icons take the theme's text colour: light marks on a dark
// desktop, dark marks on a light one, and the window redraws them when the
// theme changes.
TEST_F(FirstImpressionTest, OutlinedIconsFollowTheTheme) {
  const QPalette before = QApplication::palette();
  QPalette dark = before;
  for (const QPalette::ColorRole role : {QPalette::Window, QPalette::Button, QPalette::Base})
    dark.setColor(role, QColor(0x20, 0x20, 0x20));
  for (const QPalette::ColorRole role :
       {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    dark.setColor(role, QColor(0xf0, 0xf0, 0xf0));
  QPalette light = before;
  light.setColor(QPalette::ButtonText, Qt::black);
  light.setColor(QPalette::Button, QColor(0xf0, 0xf0, 0xf0));

  for (const int id : {kCmdRewind, kCmdStop, kCmdConditions, kCmdEqualizer}) {
    SCOPED_TRACE(id);
    QApplication::setPalette(dark);
    EXPECT_GT(LightnessRange(id).first, 200);
    QApplication::processEvents();
    const QImage shown = frame.Action(id)->icon().pixmap(QSize(20, 20)).toImage();
    EXPECT_EQ(shown, CommandIcon(id).pixmap(QSize(20, 20)).toImage());
    QApplication::setPalette(light);
    EXPECT_LT(LightnessRange(id).second, 60);
  }
  QApplication::setPalette(before);
}

TEST_F(FirstImpressionTest, ShrunkWindowKeepsItsStatusTextsApart) {
  frame.resize(1, 1);
  QApplication::processEvents();
  EXPECT_GE(frame.width(), frame.minimumWidth());
  EXPECT_GE(frame.height(), frame.minimumHeight());
  const QString completion = QStringLiteral("処理時間  123.4 秒  (2ch 24bit 96000Hz)");
  auto* status = frame.statusBar();
  QList<QLabel*> panes = status->findChildren<QLabel*>();
  ASSERT_GE(panes.size(), 2);
  std::sort(panes.begin(), panes.end(),
            [](QLabel* a, QLabel* b) { return a->geometry().left() < b->geometry().left(); });
  EXPECT_GE(panes.front()->contentsRect().width(),
            panes.front()->fontMetrics().horizontalAdvance(completion));
  EXPECT_LE(panes.front()->geometry().right(), panes.back()->geometry().left());
  EXPECT_GT(frame.ViewWidget().viewport()->height(), 8 * 12);
}

// File dialogs, message boxes and the print dialog speak Japanese like the menus.
TEST(QtTranslations, StandardButtonsAreJapanese) {
  const QString catalogue =
      QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ja.qm");
  if (!QFile::exists(catalogue)) GTEST_SKIP() << "qt6-translations-l10n is not installed";
  QTranslator* translator = InstallQtTranslations(*QCoreApplication::instance());
  ASSERT_NE(translator, nullptr);
  QMessageBox box(QMessageBox::Question, QStringLiteral("velmio"), QStringLiteral("?"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  const QString yes = box.button(QMessageBox::Yes)->text();
  const QString cancel = box.button(QMessageBox::Cancel)->text();
  QCoreApplication::removeTranslator(translator);
  delete translator;
  EXPECT_TRUE(yes.contains(QStringLiteral("はい"))) << yes.toStdString();
  EXPECT_TRUE(cancel.contains(QStringLiteral("キャンセル"))) << cancel.toStdString();
}

}  // namespace
}  // namespace velmio::ui

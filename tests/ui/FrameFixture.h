#pragma once
// A shown main window over a temporary program folder, with helpers to reach
// its buttons, drop files on its view and wait for an analysis.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "UiTestSupport.h"
#include "audio/VirtualWaveOutDevice.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/MiscDialogBar.h"
#include "ui/ViewWidget.h"
#include "view/TestView.h"

namespace velmio::test {

class FrameFixture : public testing::Test {
 protected:
  FrameFixture() {
    frame.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&frame));
    WriteToneWav(tone, 1, 44100, 44100);
  }

  CTestView& View() { return frame.View(); }
  QWidget* Viewport() { return frame.ViewWidget().viewport(); }

  QToolButton* Button(int id) {
    auto* toolbar = frame.findChild<QToolBar*>(QStringLiteral("toolbar"));
    return qobject_cast<QToolButton*>(toolbar->widgetForAction(frame.Action(id)));
  }

  // Drops `paths` on the view as a file manager would; true if the view
  // accepted the drag.
  bool Drop(const QStringList& paths) {
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    const QPoint at(120, 120);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Viewport(), &drop);
    return enter.isAccepted();
  }

  bool WaitForResult() {
    return WaitFor(
        [this] { return View().CurrentAnalysis().State() == AnalysisState::kTakenOver; });
  }

  // Every action shows what its rule and handler say now.
  void ExpectActionsCurrent(const char* when) {
    const ui::CommandContext context = frame.ReadContext();
    for (const ui::CommandEntry& entry : ui::CommandEntries()) {
      QAction* action = frame.Action(entry.id);
      const ui::CommandStatus status = ui::EvaluateRule(entry.id, context);
      EXPECT_EQ(action->isEnabled(), status.enabled && frame.HasCommandHandler(entry.id))
          << when << ": command " << entry.id;
      if (action->isCheckable()) {
        EXPECT_EQ(action->isChecked(), status.checked) << when << ": " << entry.id;
      }
    }
  }

  TempDir dir;
  RecordingMidi midi;
  // The sound output: plays only when a test advances its clock.
  VirtualWaveOutDevice waveOut;
  std::string tone = dir.File("tone.wav");
  ui::CMainFrame frame{PathsIn(dir), &midi, waveOut};
};

}  // namespace velmio::test

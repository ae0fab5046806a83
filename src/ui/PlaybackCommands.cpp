// The playback group's commands (演奏 menu, toolbar, the loop popup) and
// the space bar that plays and stops, as users expect of an audio program.
#include <QAction>

#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "view/TestView.h"

namespace velmio::ui {

void CMainFrame::InstallPlaybackHandlers() {
  CTestView& v = *m_view;
  SetCommandHandler(kCmdPlay, [&v] { v.OnPlay(); });
  SetCommandHandler(kCmdStop, [&v] { v.OnStop(); });
  SetCommandHandler(kCmdPause, [&v] { v.OnPause(); });
  SetCommandHandler(kCmdRewind, [&v] { v.OnRewind(); });
  SetCommandHandler(kCmdLoop, [&v] { v.OnToggleLoop(); });
  // The column of the right click that opened the popup.
  SetCommandHandler(kCmdLoopStart, [this, &v] { v.OnSetLoopStart(m_loopClickPoint.x()); });
  SetCommandHandler(kCmdLoopEnd, [this, &v] { v.OnSetLoopEnd(m_loopClickPoint.x()); });

  auto* space = new QAction(this);
  space->setShortcut(QKeySequence(Qt::Key_Space));
  space->setShortcutContext(Qt::WindowShortcut);
  connect(space, &QAction::triggered, this, [this] { PlayOrStop(); });
  addAction(space);
}

// While paused both are enabled: the space bar resumes.
void CMainFrame::PlayOrStop() {
  const CommandContext context = ReadContext();
  if (EvaluateRule(kCmdPlay, context).enabled) {
    RunCommand(kCmdPlay);
  } else if (EvaluateRule(kCmdStop, context).enabled) {
    RunCommand(kCmdStop);
  }
}

}  // namespace velmio::ui

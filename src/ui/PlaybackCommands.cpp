// The playback group's commands (演奏 menu, toolbar, the loop popup) and
// the space bar that plays and stops, as users expect of an audio program.
#include <QAction>

#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/MiscDialogBar.h"
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

  SetCommandHandler(kCmdSlower, [&v] { v.OnSpeedStep(-1); });
  SetCommandHandler(kCmdFaster, [&v] { v.OnSpeedStep(1); });
  const std::pair<int, double> presets[] = {{kCmdSpeed50, 50.0}, {kCmdSpeed67, 67.0},
                                            {kCmdSpeed75, 75.0}, {kCmdSpeed80, 80.0},
                                            {kCmdSpeed90, 90.0}, {kCmdSpeed100, 100.0}};
  for (const auto& [id, speed] : presets) {
    const double percent = speed;
    SetCommandHandler(id, [&v, percent] { v.OnSpeedPreset(percent); });
  }
  SetCommandHandler(kCmdTransposeDown, [&v] { v.OnTranspose(-1); });
  SetCommandHandler(kCmdTransposeUp, [&v] { v.OnTranspose(1); });
  SetCommandHandler(kCmdCentsDown, [&v] { v.OnTransposeCents(-5); });
  SetCommandHandler(kCmdCentsUp, [&v] { v.OnTransposeCents(5); });
  SetCommandHandler(kCmdStretchReset, [&v] { v.OnStretchReset(); });
  // The dialog bar's speed and transposition controls.
  m_dialogBar->SetStretchHandler([this](const StretchSettings& settings) {
    m_view->SetPlaybackStretch(settings);
    UpdateCommandStates();
  });

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

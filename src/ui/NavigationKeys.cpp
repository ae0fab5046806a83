// Moving in time and zooming: the zoom commands and their toolbar, and the
// keys people expect of a player (Home / End, arrows by a second or a page,
// A / B for the loop points at the play position).
#include <QAction>
#include <QToolBar>

#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "view/TestView.h"

namespace velmio::ui {

void CMainFrame::InstallNavigationHandlers() {
  CTestView& v = *m_view;
  SetCommandHandler(kCmdZoomIn, [&v] { v.OnZoomIn(); });
  SetCommandHandler(kCmdZoomOut, [&v] { v.OnZoomOut(); });
  SetCommandHandler(kCmdZoomReset, [&v] { v.OnZoomReset(); });
  const std::pair<QKeySequence, std::function<void()>> keys[] = {
      {QKeySequence(Qt::Key_Home), [&v] { v.ScrollToStart(); }},
      {QKeySequence(Qt::Key_End), [&v] { v.ScrollToEnd(); }},
      {QKeySequence(Qt::Key_Left), [&v] { v.ScrollSeconds(-1); }},
      {QKeySequence(Qt::Key_Right), [&v] { v.ScrollSeconds(1); }},
      {QKeySequence(Qt::SHIFT | Qt::Key_Left), [&v] { v.ScrollPages(-1); }},
      {QKeySequence(Qt::SHIFT | Qt::Key_Right), [&v] { v.ScrollPages(1); }},
      {QKeySequence(Qt::Key_A), [&v] { v.SetLoopStartAtPlayPosition(); }},
      {QKeySequence(Qt::Key_B), [&v] { v.SetLoopEndAtPlayPosition(); }},
  };
  for (const auto& [sequence, work] : keys) {
    auto* key = new QAction(this);
    key->setShortcut(sequence);
    key->setShortcutContext(Qt::WindowShortcut);
    connect(key, &QAction::triggered, this, [this, work = work] {
      work();
      UpdateCommandStates();
    });
    addAction(key);
  }
}

// Beside the main toolbar, which keeps its buttons as they are.
void CMainFrame::CreateZoomToolBar() {
  QToolBar* zoom = addToolBar(QStringLiteral("ズーム"));
  zoom->setObjectName(QStringLiteral("zoombar"));
  zoom->setIconSize(QSize(20, 20));
  for (int id : {kCmdZoomOut, kCmdZoomReset, kCmdZoomIn}) zoom->addAction(m_actions.at(id));
}

}  // namespace velmio::ui

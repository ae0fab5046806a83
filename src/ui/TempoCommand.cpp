// The View menu's "小節表示": the view switches the bar grid and runs the
// tempo dialog's flows; the window shows the dialog as the view leaves it.
#include "ui/MainFrame.h"
#include "ui/TempoDialog.h"

namespace velmio::ui {

void CMainFrame::TempoDialogChanged(const TempoDialogControls& controls) {
  if (m_tempoDialog != nullptr) m_tempoDialog->Apply(controls);
}

}  // namespace velmio::ui

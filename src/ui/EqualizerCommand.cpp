// The View menu's "イコライザー表示": the equalizer window, made the first
// time it is shown and kept, hidden or shown, until the program ends.
#include "ui/EqualizerDialog.h"
#include "ui/MainFrame.h"
#include "view/TestView.h"

namespace velmio::ui {

void CMainFrame::ToggleEqualizer() {
  if (m_eqDialog == nullptr) {
    CTestView& view = *m_view;
    m_eqDialog = new CEQdlg(
        view.EqualizerBank(), [&view](int preset) { view.StoreEqualizerPreset(preset); }, this);
    // However the window goes away, the menu check and the button follow.
    m_eqDialog->SetVisibilityListener([this] { UpdateCommandStates(); });
  }
  m_eqDialog->setVisible(!m_eqDialog->isVisible());
}

}  // namespace velmio::ui

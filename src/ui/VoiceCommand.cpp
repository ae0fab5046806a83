// The File menu's "単音のWavファイルを開く": the voice-conversion window, made
// when the view opens its dialog state and deleted when the view lets it go.
#include "ui/MainFrame.h"
#include "ui/VoiceConversionDialog.h"
#include "view/TestView.h"

namespace velmio::ui {

void CMainFrame::OpenVoiceDialog() {
  if (m_vcDialog != nullptr || !m_view->OpenVoiceDialog()) return;
  ShowVoiceWindow();
}

// Also when the view opened the dialog state itself (a saved single-voice
// analysis was opened).
void CMainFrame::ShowVoiceWindow() {
  if (m_vcDialog != nullptr) return;
  m_vcDialog = new CVCdlg(
      *m_view,
      [this] {
        m_vcDialog->deleteLater();
        m_vcDialog = nullptr;
        UpdateCommandStates();
      },
      this);
  m_vcDialog->show();
}

}  // namespace velmio::ui

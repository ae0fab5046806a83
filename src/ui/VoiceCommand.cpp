// The File menu's "単音のWavファイルを開く": the voice-conversion window, made
// when the view opens its dialog state and deleted when the view lets it go.
#include "ui/MainFrame.h"
#include "ui/VoiceConversionDialog.h"
#include "view/TestView.h"

namespace velmio::ui {

void CMainFrame::OpenVoiceDialog() {
  if (m_vcDialog != nullptr || !m_view->OpenVoiceDialog()) return;
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

// The bar display, the tempo dialog's flows and the estimate they propose.
#include "view/TestView.h"

namespace velmio {

TempoProposal CTestView::ProposeTempo() const {
  // The job writes the result while it runs.
  if (!m_analysis.HasResult()) return TempoProposal{0, kNoBeatBeatsPerBarIndex, 0};
  const Spectrogram& result = m_analysis.Result();
  TempoInput in;
  in.frameEnergy = result.m_frameEnergy.span();
  in.levelDb = result.m_levelDb.span();
  in.frameCount = result.m_frameCount;
  in.rows = result.m_rowCount;
  in.levelTopDb = m_settings.m_levelTopDb;
  in.levelRangeDb = m_settings.m_levelRangeDb;
  return EstimateTempo(in);
}

void CTestView::ShowTempoDialog(bool visible) {
  m_tempoDialog.SetVisible(visible);
  m_host.TempoDialogChanged(m_tempoDialog.Controls());
}

void CTestView::EstimateTempoForDialog() {
  m_tempoDialog.ShowProposal(ProposeTempo());
  m_tempoDialog.SetMessage(kTempoMessageEstimated);
}

void CTestView::OnBarDisplay() {
  if (m_analysis.ShownFrameCount() == 0) return;
  if (m_display.BarDisplay()) {
    m_display.SetBarDisplay(false);
    ShowTempoDialog(false);
  } else {
    m_display.SetBarDisplay(true);
    if (m_tempo.tempo != 0) {
      m_tempoDialog.ShowStoredValues(m_tempo);
      m_tempoDialog.SetMessage(kTempoMessageStored);
    } else {
      EstimateTempoForDialog();
    }
    ShowTempoDialog(true);
  }
  UpdatePositionText(-1);
  ForceRender();
  m_host.Invalidate();
  m_host.CommandStatesChanged();
}

void CTestView::OnTempoOk() {
  const std::optional<TempoGrid> grid = m_tempoDialog.ReadForOk(m_tempo);
  if (!grid) {
    m_host.ShowMessage(kTempoMetreRefused, MessageButtons::kOk);
    return;
  }
  m_tempo = *grid;
  ShowTempoDialog(false);
  UpdatePositionText(-1);
  // The grid shows the new values at once, not only after the next scroll.
  ForceRender();
  m_host.Invalidate();
}

void CTestView::OnTempoCancel() {
  m_tempoDialog.SetVisible(false);
  m_tempoDialog.ShowStoredValues(m_tempo);
  m_host.TempoDialogChanged(m_tempoDialog.Controls());
}

void CTestView::OnTempoEstimate() {
  // A new recording may be under analysis while the dialog stays open.
  if (!m_analysis.HasResult()) return;
  EstimateTempoForDialog();
  m_host.TempoDialogChanged(m_tempoDialog.Controls());
}

void CTestView::EditTempoDialog(const TempoDialogControls& typed) {
  m_tempoDialog.Edit(typed);
}

const TempoDialogControls& CTestView::TempoDialog() const {
  return m_tempoDialog.Controls();
}

void CTestView::SetTempo(const TempoGrid& grid) {
  m_tempo = grid;
  UpdatePositionText(-1);
  ForceRender();
  m_host.Invalidate();
}

}  // namespace velmio

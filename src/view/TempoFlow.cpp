// The tempo estimate of the shown analysis and the bar grid it proposes.
#include "view/TestView.h"

namespace velmio {

TempoProposal CTestView::ProposeTempo() const {
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

}  // namespace velmio

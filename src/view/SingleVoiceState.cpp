#include "view/SingleVoiceState.h"

namespace velmio {

bool SingleVoiceState::TogglePitchCurve() {
  if (!m_pitchEnabled) return false;
  m_showPitch = !m_showPitch;
  return true;
}

void SingleVoiceState::PrepareConversionBuffers(int32_t dataSize) {
  m_convertedSamples.Reset(static_cast<std::size_t>(dataSize) / 2);
  m_olaBuffer.Reset(static_cast<std::size_t>(dataSize));
}

PitchSlice SingleVoiceState::Slice() const {
  PitchSlice slice;
  slice.m_showPitch = m_showPitch;
  slice.m_pitchTrack = m_pitchTrack.empty() ? nullptr : m_pitchTrack.data();
  slice.m_pitchTrackLength = static_cast<int32_t>(m_pitchTrack.size());
  return slice;
}

void SingleVoiceState::RestoreSaved(LoadedAnalysis& saved) {
  m_pitchEnabled = saved.pitchEnabled != 0;
  m_showPitch = saved.showPitch != 0;
  m_pitchLowNote = saved.pitchLowNote;
  m_pitchHighNote = saved.pitchHighNote;
  m_missingFundamental = saved.missingFundamental;
  if (m_pitchEnabled) {
    m_pitchTrack = std::move(saved.pitchTrack);
    m_markCount = saved.markCount;
    if (m_markCount > 0) {
      m_pitchMarks = std::move(saved.pitchMarks);
      m_periodPeaks = std::move(saved.periodPeaks);
    }
  } else {
    m_pitchTrack.clear();
    m_pitchMarks.clear();
    m_periodPeaks.clear();
    m_markCount = 0;
  }
}

void SingleVoiceState::DescribeForSaving(AnalysisFileContents& c) const {
  c.pitchEnabled = m_pitchEnabled ? 1 : 0;
  c.pitchLowNote = m_pitchLowNote;
  c.pitchHighNote = m_pitchHighNote;
  c.missingFundamental = m_missingFundamental;
  if (!m_pitchEnabled) return;
  c.pitchTrack = m_pitchTrack;
  c.markCount = m_markCount > 0 ? m_markCount : 0;
  if (c.markCount > 0) {
    c.pitchMarks = m_pitchMarks;
    c.periodPeaks = m_periodPeaks;
  }
}

}  // namespace velmio

#include "view/SingleVoiceState.h"

#include <algorithm>
#include <utility>

namespace velmio {

bool SingleVoiceState::TogglePitchCurve() {
  if (!m_pitchEnabled) return false;
  m_showPitch = !m_showPitch;
  return true;
}

void SingleVoiceState::ForgetMarks() {
  m_markCount = 0;
  m_pitchMarks.assign(1, 0);
  m_periodPeaks.assign(1, 0);
}

void SingleVoiceState::TakeDetection(PitchResult detection) {
  m_markCount = detection.m_markCount;
  m_pitchMarks = std::move(detection.m_pitchMarks);
  m_periodPeaks = std::move(detection.m_periodPeaks);
  m_pitchTrack = std::move(detection.m_pitchTrack);
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
    ForgetMarks();
    if (saved.markCount > 0) {
      m_markCount = saved.markCount;
      m_pitchMarks = std::move(saved.pitchMarks);
      m_periodPeaks = std::move(saved.periodPeaks);
    }
  } else {
    m_pitchTrack.clear();
    ForgetMarks();
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

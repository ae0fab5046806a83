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

}  // namespace velmio

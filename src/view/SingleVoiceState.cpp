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

}  // namespace velmio

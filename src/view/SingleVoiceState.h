#pragma once
// The single-voice mode of the open recording: whether the analysis detects
// the pitch and the curve is shown, the range searched and the detected
// track (the conversion session renders from it). UI thread.
#include <cstdint>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "engine/PitchDetection.h"
#include "view/RenderInputs.h"

namespace velmio {

class SingleVoiceState {
 public:
  // Pitch detection in the next analysis, and the curve shown, both on or off.
  void SetMode(bool singleVoice) { m_pitchEnabled = m_showPitch = singleVoice; }
  bool PitchEnabled() const { return m_pitchEnabled; }
  bool ShowsPitch() const { return m_showPitch; }
  // The pitch curve on or off; only while the analysis detects the pitch.
  bool TogglePitchCurve();

  // The range the detection searches, in semitones above C0 (high inclusive).
  void SetPitchRange(int32_t lowNote, int32_t highNote) {
    m_pitchLowNote = lowNote;
    m_pitchHighNote = highNote;
  }
  int32_t PitchLowNote() const { return m_pitchLowNote; }
  int32_t PitchHighNote() const { return m_pitchHighNote; }
  int32_t MissingFundamental() const { return m_missingFundamental; }

  // The detected periods no longer hold (a new analysis is coming).
  void ForgetMarks();
  // A finished detection: its marks, peaks and track replace the old ones.
  void TakeDetection(PitchResult detection);

  // Marks and peaks have MarkCount() + 1 entries (entry 0 is 0).
  int32_t MarkCount() const { return m_markCount; }
  const std::vector<int32_t>& PitchMarks() const { return m_pitchMarks; }
  const std::vector<int16_t>& PeriodPeaks() const { return m_periodPeaks; }
  const std::vector<int16_t>& PitchTrack() const { return m_pitchTrack; }


  PitchSlice Slice() const;

 private:
  // Tests set up what a saved analysis would restore.
  friend struct ViewProbe;

  bool m_pitchEnabled = false;
  bool m_showPitch = false;
  int32_t m_pitchLowNote = 31;
  int32_t m_pitchHighNote = 64;
  int32_t m_missingFundamental = 0;
  int32_t m_markCount = 0;
  std::vector<int32_t> m_pitchMarks{0};
  std::vector<int16_t> m_periodPeaks{0};
  std::vector<int16_t> m_pitchTrack;  // per frame, picture y of the pitch (row + 16)
};

}  // namespace velmio

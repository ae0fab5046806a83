#pragma once
// The view's components, writable, for tests that start from a given state.
#include "../audio/PlaybackEngineProbe.h"
#include "../audio/RecordingSessionProbe.h"
#include "../engine/AnalysisJobProbe.h"
#include "view/TestView.h"

namespace velmio {

struct ViewProbe {
  static Analysis& AnalysisOf(CTestView& v) { return v.m_analysis; }
  static PlaybackEngine& PlaybackOf(CTestView& v) { return v.m_playback; }
  static DisplayState& DisplayOf(CTestView& v) { return v.m_display; }
  static TempoGrid& TempoOf(CTestView& v) { return v.m_tempo; }
  static SingleVoiceState& SingleVoiceOf(CTestView& v) { return v.m_singleVoice; }
  static AnalysisSettings& SettingsOf(CTestView& v) { return v.m_settings; }
  static RecordingSession& RecordingOf(CTestView& v) { return v.m_recording; }
  static void SetMissingFundamental(CTestView& v, int32_t on) {
    v.m_singleVoice.m_missingFundamental = on;
  }
  static void ShowVocalCutLabel(CTestView& v, int mode) { v.ShowVocalCutLabel(mode); }
  static void UpdatePositionText(CTestView& v, int32_t ms) { v.UpdatePositionText(ms); }
  static void SetAnalysisState(CTestView& v, AnalysisState state) {
    AnalysisJobProbe::SetState(v.m_analysis, state);
  }
};

}  // namespace velmio

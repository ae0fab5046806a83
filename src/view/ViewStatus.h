#pragma once
// What the enable and check rules of the commands read from the view: one
// snapshot, filled by CTestView::Status() on the UI thread.
#include <cstdint>

#include "audio/PlaybackEngine.h"
#include "engine/AnalysisJob.h"

namespace velmio {

struct ViewStatus {
  PlayState playState = PlayState::kNothingPlayable;
  AnalysisState analysisState = AnalysisState::kIdle;
  // Read from the result only when no job writes it; false and 0 otherwise.
  bool hasDisplayMatrix = false;
  int32_t frameCount = 0;
  bool showHarmonics = false;
  bool barDisplay = false;
  bool pitchEnabled = false;
  bool showPitch = false;
  bool showWaveform = false;
  bool frequencyGrid = false;
  bool loopEnabled = false;
  // Playback speed and transposition.
  double speedPercent = 100.0;
  bool transposed = false;
  bool voiceDialogOpen = false;
  int zoomStep = 1;  // the zoom in time (see TimeScale)
};

}  // namespace velmio

#pragma once
// Everything one paint of the spectrogram view reads, in one slice per
// component that owns the values, so that the renderer never reaches into
// the components and each component describes only itself. Geometry is in
// device pixels of the client area; scroll positions are the top-left content
// pixel shown at client (0, 0).
#include <array>
#include <cstdint>

#include "engine/AnalysisJob.h"
#include "engine/Spectrogram.h"
#include "engine/TempoGrid.h"
#include "view/TimeScale.h"
#include "view/ZoomPyramid.h"

namespace velmio {

// Colour added to a pixel for each colour index, as 0x00RRGGBB: in memory the
// bytes are blue, green, red, 0, the byte order of the off-screen image.
using ColorTable = std::array<uint32_t, 256>;

// The window: client size and scroll position.
struct ViewportSlice {
  int32_t m_clientWidth = 0;
  int32_t m_clientHeight = 0;
  int32_t m_scrollX = 0;
  int32_t m_scrollY = 0;
};

// The analysis result and the geometry it was made with; drawn only in state
// 3 with at least one frame.
struct AnalysisSlice {
  const Spectrogram* m_spectrogram = nullptr;
  AnalysisState m_analysisState = AnalysisState::kIdle;
  int32_t m_analysisProgress = 0;  // a snapshot of g_analysisProgress, percent
  int32_t m_lowNote = 12;          // semitones above C0, inclusive, a multiple of 12
  int32_t m_highNote = 120;        // exclusive, a multiple of 12
  int32_t m_binsPerSemitone = 4;   // the matrix already holds 8 rows per semitone
  int32_t m_a4Frequency = 440;     // the frequency grid is fixed to C0 = 16.352 Hz on purpose
  int32_t m_sampleRate = 44100;
  int32_t m_hopSize = 256;
  // Formant overlay, drawn where the spectrogram's m_formantMask is nonzero.
  bool m_formantEnabled = false;
};

// How the levels are shown and what is drawn over them.
struct DisplaySlice {
  int32_t m_levelTopDb = 24;
  int32_t m_levelRangeDb = 20;
  int32_t m_colorMap = 0;                    // 0 grey scale, nonzero colour
  const ColorTable* m_colorTable = nullptr;  // null: built from m_colorMap
  int32_t m_hoverY = -1;                     // client y of the mouse, -1 before the first move
  int32_t m_showHarmonics = 0;
  int32_t m_harmonicsCount = 6;  // 2 ... 8
  bool m_frequencyGrid = false;  // frequency lines instead of octave lines
  bool m_showWaveform = false;   // time waveform instead of the spectrogram
  bool m_barDisplay = false;     // bars and beats instead of seconds
};

// The pitch curve: per frame the picture y (display row + 16); may be null.
struct PitchSlice {
  bool m_showPitch = false;
  const int16_t* m_pitchTrack = nullptr;
  int32_t m_pitchTrackLength = 0;
};

// The recording, for the waveform: 16-bit interleaved PCM.
struct WaveformSlice {
  const int16_t* m_samples = nullptr;
  int32_t m_channels = 0;
  int32_t m_dataSize = 0;  // bytes of PCM behind m_samples
  int32_t m_blockAlign = 0;
};

// Loop markers and play cursor, in frames.
struct PlaybackSlice {
  bool m_loopEnabled = false;
  int32_t m_loopStartFrame = 0;
  int32_t m_loopEndFrame = 0;
  int32_t m_cursorFrame = 0;
};

// The zoom in time, and the zoomed-out copy of the result for it (null at
// one frame per column or more columns per frame, where the matrix is drawn).
struct ZoomSlice {
  TimeScale scale;
  const PyramidLevel* level = nullptr;
};

struct RenderInputs {
  ViewportSlice viewport;
  AnalysisSlice analysis;
  DisplaySlice display;
  PitchSlice pitch;
  WaveformSlice waveform;
  TempoGrid tempo;  // drawn while display.m_barDisplay is on and a tempo is set
  PlaybackSlice playback;
  ZoomSlice zoom;
};

}  // namespace velmio

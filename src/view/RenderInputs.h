#pragma once
// Everything one paint of the spectrogram view reads, gathered by CTestView
// from its components so that the renderer never reaches into them. Geometry
// is in device pixels of the client area; scroll positions are the top-left
// content pixel shown at client (0, 0).
#include <array>
#include <cstdint>

#include "engine/Spectrogram.h"

namespace velmio {

// Colour added to a pixel for each colour index, as 0x00RRGGBB: in memory the
// bytes are blue, green, red, 0, the byte order of the off-screen image.
using ColorTable = std::array<uint32_t, 256>;

struct RenderInputs {
  // Window.
  int32_t m_clientWidth = 0;
  int32_t m_clientHeight = 0;
  int32_t m_scrollX = 0;
  int32_t m_scrollY = 0;

  // Analysis result; drawn only in state 3 with at least one frame.
  const Spectrogram* m_spectrogram = nullptr;
  int32_t m_analysisState = 0;
  int32_t m_analysisProgress = 0;  // a snapshot of g_analysisProgress, percent
  int32_t m_lowNote = 12;          // semitones above C0, inclusive, a multiple of 12
  int32_t m_highNote = 120;        // exclusive, a multiple of 12
  int32_t m_binsPerSemitone = 4;   // the matrix already holds 8 rows per semitone
  int32_t m_a4Frequency = 440;     // the frequency grid is fixed to C0 = 16.352 Hz on purpose
  int32_t m_sampleRate = 44100;
  int32_t m_hopSize = 256;

  // Level-to-colour mapping.
  int32_t m_levelTopDb = 24;
  int32_t m_levelRangeDb = 20;
  int32_t m_colorMap = 0;                    // 0 grey scale, nonzero colour
  const ColorTable* m_colorTable = nullptr;  // null: built from m_colorMap

  // Hover band and harmonics.
  int32_t m_hoverY = -1;  // client y of the mouse, -1 before the first move
  int32_t m_showHarmonics = 0;
  int32_t m_harmonicsCount = 6;  // 2 ... 8

  // Grid: 0 octave lines, 1 frequency lines.
  int32_t m_frequencyGrid = 0;

  // Formant overlay, drawn where the spectrogram's m_formantMask is nonzero.
  int32_t m_formantEnabled = 0;

  // Pitch curve: per frame the picture y (display row + 16); may be null.
  int32_t m_showPitch = 0;
  const int16_t* m_pitchTrack = nullptr;
  int32_t m_pitchTrackLength = 0;

  // Time waveform instead of the spectrogram, from 16-bit interleaved PCM.
  int32_t m_showWaveform = 0;
  const int16_t* m_samples = nullptr;
  int32_t m_channels = 0;
  int32_t m_dataSize = 0;  // bytes of PCM behind m_samples
  int32_t m_blockAlign = 0;

  // Time grid: seconds, or bars and beats from the tempo settings.
  int32_t m_barDisplay = 0;
  int32_t m_tempo = 0;  // beats per minute, 0 = none set
  int32_t m_beatsPerBar = 4;
  int32_t m_beatUnit = 4;  // shown by the tempo dialog, not used by the grid
  int32_t m_startMs = 0;   // time of beat 0

  // Loop markers and play cursor, in frames.
  int32_t m_loopEnabled = 0;
  int32_t m_loopStartFrame = 0;
  int32_t m_loopEndFrame = 0;
  int32_t m_cursorFrame = 0;
};

}  // namespace velmio

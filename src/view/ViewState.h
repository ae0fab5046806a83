#pragma once
// The state of the open recording, grouped by concern. CTestView owns one of
// each and hands the components what they need.
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/WaveFile.h"
#include "dsp/AlignedBuffer.h"
#include "persist/AnalysisFile.h"
#include "view/RenderInputs.h"

namespace velmio {

// Where the program's own files are; every directory ends in '/'.
struct ProgramPaths {
  std::string exeDir;
  std::string iniPath;
  std::string helpPath;
  std::string tempWavPath;
};

struct DisplayState {
  int32_t m_showWaveform = 0;
  int32_t m_frequencyGrid = 0;
  int32_t m_hoverY = -1;
  int32_t m_barDisplay = 0;
  bool m_scrollSizesDirty = false;
  int64_t m_lastHoverClock = 0;  // clock of the last accepted mouse move
  int32_t m_lastPositionMs = 0;  // last position given to the read-out
  int32_t m_lastProgressShown = -1;
  ColorTable m_colorTable{};
  QImage m_legend;
};

struct PitchState {
  int32_t m_pitchEnabled = 0;
  int32_t m_showPitch = 0;
  int32_t m_pitchLowNote = 31;
  int32_t m_pitchHighNote = 64;
  int32_t m_missingFundamental = 0;
  int32_t m_markCount = 0;
  std::vector<int16_t> m_pitchTrack;  // per frame, picture y of the pitch (row + 16)
  AlignedBuffer<int16_t> m_convertedSamples;
  AlignedBuffer<float> m_olaBuffer;
};

}  // namespace velmio

#pragma once
// Fills a recording session's fields as a loaded file leaves them, for tests
// of what is shown about a recording.
#include "audio/RecordingSession.h"

namespace velmio {

struct RecordingSessionProbe {
  static void Describe(RecordingSession& r, const std::string& path, int channels, int rate,
                       int sourceBits, int32_t dataSize) {
    r.m_filePath = path;
    MakePcm16Format(r.m_waveData.m_wave.format, channels, rate);
    r.m_waveData.m_wave.dataSize = dataSize;
    r.m_waveData.m_sourceBits = sourceBits;
  }
  static void SetPath(RecordingSession& r, const std::string& path) { r.m_filePath = path; }
};

}  // namespace velmio

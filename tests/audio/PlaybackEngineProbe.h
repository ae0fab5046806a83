#pragma once
// Direct access to the playback engine's state, for tests that start from a
// given state instead of playing their way there.
#include <ostream>

#include "audio/PlaybackEngine.h"

namespace velmio {

struct PlaybackEngineProbe {
  static PlayState& State(PlaybackEngine& e) { return e.m_playState; }
  static int32_t& PlayStartByte(PlaybackEngine& e) { return e.m_playStartByte; }
  static int32_t& CursorFrame(PlaybackEngine& e) { return e.m_cursorFrame; }
  static int32_t& LoopStartFrame(PlaybackEngine& e) { return e.m_loopStartFrame; }
  static int32_t& LoopEndFrame(PlaybackEngine& e) { return e.m_loopEndFrame; }
  static int32_t LoopWrapCount(const PlaybackEngine& e) { return e.m_loopWrapCount; }
};

// Test messages name the state by its number.
inline void PrintTo(PlayState state, std::ostream* os) {
  *os << static_cast<int>(state);
}

}  // namespace velmio

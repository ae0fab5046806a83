// Where playback is and where it starts: the cursor timer, take-over, rewind,
// the double-click start, the loop commands and the loop label.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "audio/PlaybackEngine.h"

namespace velmio {

namespace {

int64_t DataBytesOf(const PlaybackSource& source) {
  return std::clamp<int64_t>(source.dataSize, 0, static_cast<int64_t>(source.samples.size()) * 2);
}

}  // namespace

std::optional<int64_t> PlaybackEngine::HeardSourceByte(const PlaybackSource& source) const {
  if (m_stretchRun) return HeardStretchedByte(source);
  const std::optional<int64_t> played = m_device.BytesPlayed();
  if (!played) return std::nullopt;
  int64_t position = int64_t{m_playStartByte} + *played;
  // Each loop pass the device has finished takes the sound back one range;
  // without this a long loop would also count past the 32-bit range.
  if (m_loopEnabled) {
    const Range range = LoopRange(source);
    position -= int64_t{range.end - range.start} * m_loopWrapCount;
  }
  return position;
}

void PlaybackEngine::TakeOver(int32_t channels, int32_t sampleRate) {
  Stop();
  MakePcm16Format(m_playFormat, channels, sampleRate);
  m_playStartByte = 0;
  m_cursorFrame = 0;
  m_playState = PlayState::kStopped;
  if (!m_stretch.IsBypass()) EnsureStretcher();
}

void PlaybackEngine::ResetLoop(int32_t endFrame) {
  Stop();
  m_loopEnabled = false;
  m_loopStartFrame = 0;
  m_loopEndFrame = endFrame;
  m_loopWrapPhase = 0;
  m_loopWrapCount = 0;
}

void PlaybackEngine::ForgetRecording() {
  Stop();
  m_playState = PlayState::kNothingPlayable;
}

CursorTick PlaybackEngine::OnCursorTimer() {
  CursorTick tick;
  const PlaybackSource source = Source();
  const std::optional<int64_t> heard = HeardSourceByte(source);
  const int64_t perSecond = m_playFormat.nAvgBytesPerSec;
  const int64_t perFrame = int64_t{m_playFormat.nBlockAlign} * source.hopSize;
  if (heard && perSecond > 0 && perFrame > 0) {
    const int64_t position = std::max<int64_t>(*heard, 0);
    tick.timeMs = static_cast<int32_t>(std::min<int64_t>(position * 1000 / perSecond, INT32_MAX));
    m_cursorFrame = static_cast<int32_t>(std::min<int64_t>(position / perFrame, INT32_MAX));
  }
  if (m_cursorFrame != m_lastDrawnFrame) {
    m_lastDrawnFrame = m_cursorFrame;
    tick.moved = true;
  }
  return tick;
}

bool PlaybackEngine::Rewind() {
  if (m_playState >= PlayState::kPlaying) return false;
  m_cursorFrame = 0;
  m_playStartByte = 0;
  return true;
}

bool PlaybackEngine::MoveStartTo(int32_t frame) {
  const PlaybackSource source = Source();
  const int64_t byte = int64_t{frame} * BytesPerFrame(source);
  if (m_playState != PlayState::kStopped || frame < 0 || byte >= DataBytesOf(source)) return false;
  m_playStartByte = static_cast<int32_t>(byte);
  m_cursorFrame = frame;
  return true;
}

bool PlaybackEngine::ToggleLoop() {
  if (m_playState >= PlayState::kPlaying) return false;
  m_loopEnabled = !m_loopEnabled;
  if (!m_loopEnabled) {
    const PlaybackSource source = Source();
    const int64_t byte = int64_t{m_cursorFrame} * BytesPerFrame(source);
    if (byte >= 0 && byte < DataBytesOf(source)) m_playStartByte = static_cast<int32_t>(byte);
  }
  return true;
}

bool PlaybackEngine::StoreLoopPoint(int32_t frame, int32_t& point) {
  const PlaybackSource source = Source();
  const int64_t byte = int64_t{frame} * BytesPerFrame(source);
  // Start and end are not compared here; Play refuses a reversed range.
  if (m_playState != PlayState::kStopped || frame < 0 || byte >= DataBytesOf(source)) return false;
  point = frame;
  return true;
}

bool PlaybackEngine::SetLoopStart(int32_t frame) {
  return StoreLoopPoint(frame, m_loopStartFrame);
}

bool PlaybackEngine::SetLoopEnd(int32_t frame) {
  return StoreLoopPoint(frame, m_loopEndFrame);
}

std::string PlaybackEngine::LoopLabel() const {
  const PlaybackSource source = Source();
  const int64_t perSecond = source.format.nAvgBytesPerSec;
  if (!m_loopEnabled || perSecond <= 0) return {};
  const int64_t perFrame = BytesPerFrame(source);
  const int64_t s = m_loopStartFrame * perFrame * 1000 / perSecond;
  const int64_t e = m_loopEndFrame * perFrame * 1000 / perSecond;
  char text[96];
  std::snprintf(text, sizeof text, "LOOP%3d:%02d.%1d～%d:%02d.%1d", static_cast<int>(s / 60000),
                static_cast<int>(s / 1000 % 60), static_cast<int>(s / 100 % 10),
                static_cast<int>(e / 60000), static_cast<int>(e / 1000 % 60),
                static_cast<int>(e / 100 % 10));
  return text;
}

}  // namespace velmio

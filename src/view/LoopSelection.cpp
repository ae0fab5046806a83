// Loop points from the keyboard and the time ruler: A and B at the play
// position, also while playing, and a range dragged across the ruler.
#include <algorithm>

#include "view/TestView.h"
#include "view/ViewGeometry.h"

namespace velmio {

void CTestView::SetLoopStartAtPlayPosition() {
  SetLoopPointAtPlayPosition(false);
}

void CTestView::SetLoopEndAtPlayPosition() {
  SetLoopPointAtPlayPosition(true);
}

void CTestView::SetLoopPointAtPlayPosition(bool end) {
  if (!m_playback.LoopEnabled()) return;
  // While playing, the cursor is brought to the sound first: it may be up to
  // one timer tick behind.
  if (m_playback.IsPlayingOrPaused()) OnPlaybackTimer();
  const int32_t frame = m_playback.CursorFrame();
  if (end) {
    ReplaceLoopRange(m_playback.LoopStartFrame(), frame);
  } else {
    ReplaceLoopRange(frame, m_playback.LoopEndFrame());
  }
}

void CTestView::SelectLoopRange(int32_t x0, int32_t x1) {
  const int32_t left = std::max(std::min(x0, x1), kKeyboardWidth);
  const int32_t right = std::max(x0, x1);
  if (right <= left) return;
  const PcmView pcm = m_recording.Pcm();
  const int64_t perFrame = int64_t{pcm.format.nBlockAlign} * m_recording.HopSize();
  if (perFrame <= 0 || pcm.dataSize <= 0) return;
  const int32_t lastFrame = static_cast<int32_t>((pcm.dataSize - 1) / perFrame);
  const int32_t start = std::min(FrameAtColumn(left), lastFrame);
  const int32_t end = std::min(FrameAtColumn(right), lastFrame);
  if (end <= start) return;
  // The loop is switched on by the selection where the LOOP command could be.
  if (!m_playback.LoopEnabled() && !m_playback.ToggleLoop()) return;
  ReplaceLoopRange(start, end);
}

// A playing loop cannot change under the queued blocks: the play stops, takes
// the new range and starts again at its start. Ranges without frames are
// refused then, as a play of them would end at once.
void CTestView::ReplaceLoopRange(int32_t start, int32_t end) {
  const PlayState before = m_playback.State();
  const bool playing = before == PlayState::kPlaying || before >= PlayState::kLastQueued;
  if (m_playback.IsPlayingOrPaused()) {
    if (end <= start) return;
    m_playback.Stop();
  }
  const int32_t oldStart = m_playback.LoopStartFrame();
  if (!m_playback.SetLoopStart(start)) return;
  if (!m_playback.SetLoopEnd(end)) {
    m_playback.SetLoopStart(oldStart);
    return;
  }
  if (playing) m_playback.Play();
  ShowLoopLabel();
  ForceRender();
  m_host.Invalidate();
  m_host.CommandStatesChanged();
}

}  // namespace velmio

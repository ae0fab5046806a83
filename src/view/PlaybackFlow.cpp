// The view's side of playback: the engine's hooks, the playback commands,
// the loop popup's commands, timer 1 with its page-following scroll, and the
// equalizer bank that playback filters through.
#include <algorithm>

#include "view/EqualizerPresets.h"
#include "view/TestView.h"
#include "view/ViewGeometry.h"

namespace velmio {
namespace {

constexpr int kCursorTimerMs = 100;

}  // namespace

PlaybackHooks CTestView::MakePlaybackHooks() {
  PlaybackHooks hooks;
  hooks.report = [this](const std::string& text) { ReportMessage(text); };
  hooks.recording = [this] { return RecordingForPlayback(); };
  hooks.convertedSamples = [this] { return ConvertedVoiceForPlayback(); };
  hooks.renderConvertedSamples = [this] { RenderConvertedVoice(); };
  hooks.revealFrame = [this](int32_t frame) { RevealPlayStart(frame); };
  hooks.startCursorTimer = [this] { m_host.StartTimer(kTimerPlayback, kCursorTimerMs); };
  hooks.stopCursorTimer = [this] {
    m_host.StopTimer(kTimerPlayback);
    // The end of the data stops playback without a command: the buttons
    // must learn it too.
    m_host.CommandStatesChanged();
  };
  return hooks;
}

PlaybackSource CTestView::RecordingForPlayback() const {
  const PcmView pcm = m_recording.Pcm();
  PlaybackSource source;
  source.samples = std::span<const int16_t>(pcm.samples, pcm.sampleCount);
  source.dataSize = pcm.dataSize;
  source.format = pcm.format;
  source.hopSize = m_recording.HopSize();
  return source;
}

// The play start goes just right of the keyboard strip when it is not in view.
void CTestView::RevealPlayStart(int32_t frame) {
  const ScrollPoint scroll = m_host.GetScrollPosition();
  const int64_t start = ColumnOfFrame(frame);
  const int64_t column = start + kKeyboardWidth - scroll.x;
  if (column >= kKeyboardWidth && column < m_host.GetClientSize().width) return;
  m_host.ScrollTo({static_cast<int32_t>(start), scroll.y});
}

void CTestView::OnPlay() {
  m_playback.Play();
}

void CTestView::OnStop() {
  m_playback.Stop();
}

void CTestView::OnPause() {
  m_playback.Pause();
}

void CTestView::OnRewind() {
  if (!m_playback.Rewind()) return;
  m_host.ScrollTo({0, m_host.GetScrollPosition().y});
  // The read-outs follow the cursor back to the start, as users expect.
  UpdatePositionText(0);
  m_host.Invalidate();
}

void CTestView::OnToggleLoop() {
  if (!m_playback.ToggleLoop()) return;
  ShowLoopLabel();
  ForceRender();
  m_host.Invalidate();
}

void CTestView::OnSetLoopStart(int32_t x) {
  SetLoopPoint(x, false);
}

void CTestView::OnSetLoopEnd(int32_t x) {
  SetLoopPoint(x, true);
}

// The markers are part of the rendered picture: a moved point re-renders it,
// or the old marker would stay until something else did.
void CTestView::SetLoopPoint(int32_t x, bool end) {
  if (x < kKeyboardWidth) return;
  const int32_t frame = FrameAtColumn(x);
  const bool stored = end ? m_playback.SetLoopEnd(frame) : m_playback.SetLoopStart(frame);
  if (!stored) return;
  ShowLoopLabel();
  ForceRender();
  m_host.Invalidate();
}

// The loop points are set only while stopped with the loop on.
bool CTestView::AcceptsLoopPopup() const {
  return m_playback.State() == PlayState::kStopped && m_playback.LoopEnabled();
}

void CTestView::SetPlaybackStretch(const StretchSettings& settings) {
  m_playback.SetStretch(settings);
}

void CTestView::OnSpeedStep(int direction) {
  StretchSettings s = m_playback.Stretch();
  s.speedPercent = StepSpeed(s.speedPercent, direction);
  SetPlaybackStretch(s);
}

void CTestView::OnSpeedPreset(double speedPercent) {
  StretchSettings s = m_playback.Stretch();
  s.speedPercent = speedPercent;
  SetPlaybackStretch(s);
}

void CTestView::OnTranspose(int semitones) {
  StretchSettings s = m_playback.Stretch();
  s.semitones += semitones;
  SetPlaybackStretch(s);
}

void CTestView::OnTransposeCents(int cents) {
  StretchSettings s = m_playback.Stretch();
  s.cents += cents;
  SetPlaybackStretch(s);
}

void CTestView::OnStretchReset() {
  SetPlaybackStretch(StretchSettings{});
}

void CTestView::ShowLoopLabel() {
  m_host.SetControlText(kControlLoop, m_playback.LoopLabel());
}

void CTestView::OnPlaybackTimer() {
  const CursorTick tick = m_playback.OnCursorTimer();
  UpdatePositionText(tick.timeMs);
  if (tick.moved) FollowCursor(m_playback.CursorFrame());
}

// Past the right edge the view turns one page, leaving the cursor just right
// of the keyboard; a cursor left of the view (a loop pass) is brought back.
void CTestView::FollowCursor(int32_t frame) {
  const ScrollPoint scroll = m_host.GetScrollPosition();
  const int32_t width = m_host.GetClientSize().width;
  const int64_t x = ColumnOfFrame(frame) + kKeyboardWidth;
  if (x > int64_t{scroll.x} + width) {
    m_host.ScrollTo({scroll.x + width - kKeyboardWidth, scroll.y});
  } else if (x < scroll.x) {
    m_host.ScrollTo({static_cast<int32_t>(x - 2 * kKeyboardWidth), scroll.y});
  }
  m_host.Invalidate();
}

Equalizer& CTestView::EqualizerBank() {
  if (m_equalizer == nullptr) {
    m_equalizer = std::make_unique<Equalizer>(static_cast<float>(m_recording.SampleRate()));
    LoadEqualizerPresets(m_settings, *m_equalizer);
    m_playback.SetEqualizer(m_equalizer.get());
  }
  return *m_equalizer;
}

void CTestView::StoreEqualizerPreset(int preset) {
  velmio::StoreEqualizerPreset(preset, EqualizerBank(), m_settings);
}

// A designed bank is redesigned at once: kept for the old rate, every band
// would sit at the wrong frequency (an octave off from 44.1 to 22.05 kHz)
// until its slider happened to move.
void CTestView::SetEqualizerRate(int sampleRate) {
  if (m_equalizer == nullptr) return;
  Equalizer& bank = *m_equalizer;
  bank.SetSampleRate(static_cast<float>(sampleRate));
  if (bank.m_q[0] <= 0.0f) return;  // nothing designed yet
  EqBandGains gains{};
  std::copy_n(bank.m_gainDb[0], kEqBands, gains.begin());
  bank.MarkAllDirty();
  bank.UpdateFilters(gains, bank.m_q[0]);
}

}  // namespace velmio

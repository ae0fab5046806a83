// Starting, feeding and stopping the output: Play, the refill on every
// finished block, Pause and Stop.
#include "audio/PlaybackEngine.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "audio/Equalizer.h"

namespace velmio {

namespace {

// Bytes of the recording that can really be read: never more than the samples hold.
int64_t DataBytes(const PlaybackSource& source) {
  const int64_t held = static_cast<int64_t>(source.samples.size()) * 2;
  return std::clamp<int64_t>(source.dataSize, 0, held);
}

}  // namespace

int64_t BytesPerFrame(const PlaybackSource& source) {
  return int64_t{source.format.nBlockAlign} * std::max<int32_t>(source.hopSize, 0);
}

PlaybackEngine::PlaybackEngine(WaveOutDevice& device, PlaybackHooks hooks)
    : m_device(device), m_hooks(std::move(hooks)), m_slotBlock(kPlaySlots * kPlayBlockBytes / 2) {
  for (int k = 0; k < kPlaySlots; ++k)
    m_waveBuffers[k] = m_slotBlock.data() + k * kPlayBlockBytes / 2;
  m_device.SetBlockDoneHandler([this] { OnBlockDone(); });
}

PlaybackEngine::~PlaybackEngine() {
  m_device.SetBlockDoneHandler({});
  if (m_device.IsOpen()) {
    m_device.Reset();
    m_device.Close();
  }
  if (m_playState > PlayState::kStopped) m_playState = PlayState::kStopped;
}

PlaybackSource PlaybackEngine::Source() const {
  return m_hooks.recording ? m_hooks.recording() : PlaybackSource{};
}

PlaybackEngine::Range PlaybackEngine::LoopRange(const PlaybackSource& source) const {
  const int64_t size = DataBytes(source);
  const int64_t perFrame = BytesPerFrame(source);
  const int64_t end = std::clamp<int64_t>(m_loopEndFrame * perFrame, 0, size);
  const int64_t start = std::clamp<int64_t>(m_loopStartFrame * perFrame, 0, end);
  return Range{static_cast<int32_t>(start), static_cast<int32_t>(end)};
}

int32_t PlaybackEngine::RangeEnd(const PlaybackSource& source) const {
  return m_loopEnabled ? LoopRange(source).end : static_cast<int32_t>(DataBytes(source));
}

void PlaybackEngine::Report(const char* message) const {
  if (m_hooks.report) m_hooks.report(message);
}

void PlaybackEngine::Play() {
  if (m_playState == PlayState::kPaused) {
    m_device.Restart();
    m_playState = PlayState::kPlaying;
    return;
  }
  if (m_playState != PlayState::kStopped) return;
  const PlaybackSource source = Source();
  if (!StartOver(source)) return;
  if (m_hooks.revealFrame) {
    m_hooks.revealFrame(static_cast<int32_t>(m_playStartByte / BytesPerFrame(source)));
  }
  m_playState = PlayState::kPlaying;
  if (m_hooks.convertedSamples && m_hooks.renderConvertedSamples &&
      !m_hooks.convertedSamples().empty()) {
    m_hooks.renderConvertedSamples();
  }
  if (!OpenDevice()) {
    m_playState = PlayState::kStopped;
    return;
  }
  m_stretchRun = !m_stretch.IsBypass() && EnsureStretcher();
  if (m_stretchRun) {
    if (!PrimeStretched(source)) return;
    if (m_hooks.startCursorTimer) m_hooks.startCursorTimer();
    return;
  }
  m_queuePos = m_playStartByte;
  m_lastDone = -1;
  std::fill(std::begin(m_blockBytes), std::end(m_blockBytes), 0);
  Prime(source, RangeEnd(source));
  // Every primed slot is written, a final one of 0 bytes included: its report
  // is what ends a play whose range is used up by the priming.
  for (int k = 0; k <= m_lastQueued; ++k) {
    if (m_device.Write(m_waveBuffers[k], m_blockBytes[k]) != 0) {
      StopAfterWriteError();
      return;
    }
  }
  if (m_hooks.startCursorTimer) m_hooks.startCursorTimer();
}

// Decides where the play starts; false when there is nothing to play.
bool PlaybackEngine::StartOver(const PlaybackSource& source) {
  const int64_t size = DataBytes(source);
  if (BytesPerFrame(source) <= 0) return false;
  if (!m_loopEnabled) {
    const int64_t start = std::max(m_playStartByte, 0);
    if (start >= size || size - start < kPlayBlockBytes) return false;
    m_playStartByte = static_cast<int32_t>(start);
    return true;
  }
  if (m_loopStartFrame > m_loopEndFrame) {
    Report("LOOP再生の開始位置が終了位置よりも後ろにあります。");
    return false;
  }
  const Range range = LoopRange(source);
  m_playStartByte = range.start;
  m_loopWrapPhase = 0;
  m_loopWrapCount = 0;
  // A range of no frames (start and end on the same frame) has nothing to be
  // heard: the play is over before it starts, and the device is left alone.
  return range.end > range.start;
}

bool PlaybackEngine::OpenDevice() {
  if (m_device.IsOpen()) m_device.Close();
  if (m_device.Open(m_playFormat) == 0) return true;
  Report("waveOutOpen error !");
  return false;
}

void PlaybackEngine::Prime(const PlaybackSource& source, int32_t end) {
  // Priming never wraps: a loop range shorter than the four slots plays once.
  for (int k = 0; k < kPlaySlots && m_playState != PlayState::kLastQueued; ++k) {
    int32_t length = kPlayBlockBytes;
    if (int64_t{end} < int64_t{m_queuePos} + kPlayBlockBytes) {
      length = std::max(end - m_queuePos, 0);
      m_playState = PlayState::kLastQueued;
    }
    FillSlot(source, k, length);
    m_queuePos += length;
    m_lastQueued = k;
  }
}

void PlaybackEngine::OnBlockDone() {
  if (m_playState <= PlayState::kStopped) return;
  m_lastDone = (m_lastDone + 1) % kPlaySlots;
  const PlaybackSource source = Source();
  if (m_playState < PlayState::kLastQueued) {
    QueueNext(source, RangeEnd(source));
  } else if (m_lastDone == m_lastQueued) {
    m_playState = PlayState::kFinished;
    Stop();
  }
}

void PlaybackEngine::QueueNext(const PlaybackSource& source, int32_t end) {
  if (m_stretchRun) {
    QueueStretched(source);
    return;
  }
  const int k = m_lastQueued = (m_lastQueued + 1) % kPlaySlots;
  int32_t length = kPlayBlockBytes;
  if (int64_t{end} < int64_t{m_queuePos} + kPlayBlockBytes) {
    length = std::max(end - m_queuePos, 0);
    m_playState = m_loopEnabled ? PlayState::kLoopWrap : PlayState::kLastQueued;
  }
  FillSlot(source, k, length);
  if (m_playState == PlayState::kLoopWrap) {
    // The block after this one starts exactly at the loop start.
    m_playState = PlayState::kPlaying;
    m_queuePos = LoopRange(source).start;
    m_loopWrapPhase = 1;
  } else {
    m_queuePos += length;
    // Four refills after the wrap block, the device has finished playing it.
    if (m_loopWrapPhase > 0 && m_loopWrapPhase++ >= 4) {
      ++m_loopWrapCount;
      m_loopWrapPhase = 0;
    }
  }
  if (m_device.Write(m_waveBuffers[k], length) != 0) StopAfterWriteError();
}

// The converted voice while there is one, else the recording; chosen anew
// for every block.
std::span<const int16_t> PlaybackEngine::PlayedSamples(const PlaybackSource& source) const {
  if (m_hooks.convertedSamples) {
    const std::span<const int16_t> converted = m_hooks.convertedSamples();
    if (!converted.empty()) return converted;
  }
  return source.samples;
}

void PlaybackEngine::FillSlot(const PlaybackSource& source, int slot, int32_t length) {
  const std::span<const int16_t> from = PlayedSamples(source);
  // Never read past the samples, whatever the sizes claim; silence fills up.
  const int64_t available = static_cast<int64_t>(from.size()) * 2 - m_queuePos;
  const int32_t copied = static_cast<int32_t>(std::clamp<int64_t>(available, 0, length));
  auto* slotBytes = reinterpret_cast<uint8_t*>(m_waveBuffers[slot]);
  if (copied > 0) {
    std::memcpy(slotBytes, reinterpret_cast<const uint8_t*>(from.data()) + m_queuePos, copied);
  }
  std::memset(slotBytes + copied, 0, static_cast<size_t>(length - copied));
  m_blockBytes[slot] = length;
  m_slotSource[slot] = m_queuePos;
  if (m_equalizer != nullptr && m_equalizer->m_enabled != 0) {
    m_equalizer->ProcessBlock(m_waveBuffers[slot], length, source.format.nChannels);
  }
}

void PlaybackEngine::RefreshQueuedBuffers(std::span<const int16_t> converted) {
  if (m_playState < PlayState::kPlaying) return;
  const int64_t held = static_cast<int64_t>(converted.size()) * 2;
  const auto* from = reinterpret_cast<const uint8_t*>(converted.data());
  for (int k = 0; k < kPlaySlots; ++k) {
    // A slot already handed back holds nothing the device still reads; the
    // copy there is harmless, and the next refill replaces it anyway.
    const int64_t copied = std::clamp<int64_t>(held - m_slotSource[k], 0, m_blockBytes[k]);
    if (copied > 0) {
      std::memcpy(m_waveBuffers[k], from + m_slotSource[k], static_cast<size_t>(copied));
    }
  }
}

void PlaybackEngine::StopAfterWriteError() {
  // A block the device refused is never handed back; waiting for it would
  // leave the playback hanging, so it ends here.
  Report("waveOutWrite error !");
  Stop();
}

void PlaybackEngine::Stop() {
  if (m_playState < PlayState::kPlaying) return;
  m_playState = PlayState::kStopped;
  if (m_hooks.stopCursorTimer) m_hooks.stopCursorTimer();
  const std::optional<int64_t> position = HeardSourceByte(Source());
  if (position) {
    m_playStartByte = static_cast<int32_t>(
        std::clamp<int64_t>(*position, 0, std::numeric_limits<int32_t>::max()));
  } else {
    m_playStartByte = 0;
  }
  m_device.Reset();
}

void PlaybackEngine::Pause() {
  if (m_playState != PlayState::kPlaying) return;
  m_playState = PlayState::kPaused;
  m_device.Pause();
}

}  // namespace velmio

// Playback through the stretcher: the source is read from the play position
// (wrapping at the loop end while the loop is on), stretched into short
// blocks, then filtered by the equalizer. Each block remembers which source
// frame it starts with, so that the cursor follows the sound rather than the
// bytes the device has played.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/Equalizer.h"
#include "audio/PlaybackEngine.h"

namespace velmio {

// The stretcher's view of the source: frames from m_queuePos on, back to the
// loop start at the loop end, nothing after the end of the data.
class PlaybackEngine::StretchFeed final : public StretchInput {
 public:
  StretchFeed(PlaybackEngine& engine, const PlaybackSource& source)
      : m_engine(engine), m_source(source), m_samples(engine.PlayedSamples(source)) {}

  int32_t Read(int16_t* out, int32_t maxFrames) override {
    const int32_t align = m_source.format.nBlockAlign;
    if (align <= 0) return 0;
    int32_t given = 0;
    while (given < maxFrames) {
      int32_t& pos = m_engine.m_queuePos;
      const int32_t end = m_engine.RangeEnd(m_source);
      const int32_t frames = std::min((end - pos) / align, maxFrames - given);
      if (frames <= 0) {
        if (!m_engine.m_loopEnabled) break;
        // A range of no frames would wrap for ever.
        const Range range = m_engine.LoopRange(m_source);
        if (range.end - range.start < align) break;
        pos = range.start;
        continue;
      }
      CopyFrames(out + static_cast<size_t>(given) * (align / 2), pos, frames * align);
      pos += frames * align;
      given += frames;
    }
    return given;
  }

 private:
  // Never reads past the samples, whatever the sizes claim; silence fills up.
  void CopyFrames(int16_t* to, int32_t from, int32_t bytes) const {
    const int64_t available = static_cast<int64_t>(m_samples.size()) * 2 - from;
    const auto copied = static_cast<int32_t>(std::clamp<int64_t>(available, 0, bytes));
    auto* toBytes = reinterpret_cast<uint8_t*>(to);
    if (copied > 0)
      std::memcpy(toBytes, reinterpret_cast<const uint8_t*>(m_samples.data()) + from, copied);
    std::memset(toBytes + copied, 0, static_cast<size_t>(bytes - copied));
  }

  PlaybackEngine& m_engine;
  const PlaybackSource& m_source;
  std::span<const int16_t> m_samples;
};

void PlaybackEngine::SetStretch(const StretchSettings& settings) {
  const StretchSettings next = ClampStretch(settings);
  if (next == m_stretch) return;
  m_stretch = next;
  if (!m_stretch.IsBypass()) EnsureStretcher();
  if (m_playState >= PlayState::kPlaying) Requeue();
}

bool PlaybackEngine::EnsureStretcher() {
  const int32_t channels = m_playFormat.nChannels;
  const auto rate = static_cast<int32_t>(m_playFormat.nSamplesPerSec);
  if (channels < 1 || channels > 2 || rate <= 0) return false;
  if (!m_stretcher || m_stretcher->Channels() != channels || m_stretcher->SampleRate() != rate)
    m_stretcher = std::make_unique<Stretcher>(channels, rate);
  return true;
}

bool PlaybackEngine::PrimeStretched(const PlaybackSource& source) {
  m_stretcher->Start(m_stretch);
  m_runSpeed = m_stretch.Speed();
  m_queuePos = m_playStartByte;
  m_nextSourceFrame =
      static_cast<double>(m_playStartByte / std::max<int32_t>(source.format.nBlockAlign, 1));
  m_outputBytes = 0;
  m_lastDone = -1;
  m_lastQueued = kPlaySlots - 1;
  std::fill(std::begin(m_blockBytes), std::end(m_blockBytes), 0);
  std::fill(std::begin(m_slotOutputStart), std::end(m_slotOutputStart), -1);
  for (int k = 0; k < kPlaySlots && m_playState == PlayState::kPlaying; ++k) QueueStretched(source);
  return m_playState != PlayState::kStopped;
}

void PlaybackEngine::QueueStretched(const PlaybackSource& source) {
  const int k = m_lastQueued = (m_lastQueued + 1) % kPlaySlots;
  StretchFeed feed(*this, source);
  const int32_t frames = m_stretcher->Render(m_waveBuffers[k], kStretchBlockFrames, feed);
  const int32_t length = frames * source.format.nBlockAlign;
  m_blockBytes[k] = length;
  m_slotOutputStart[k] = m_outputBytes;
  m_slotSourceFrame[k] = m_nextSourceFrame;
  m_outputBytes += length;
  m_nextSourceFrame = FoldIntoLoop(m_nextSourceFrame + frames * m_runSpeed, source);
  // Fewer frames than asked for: the source has ended and this is the last block.
  if (frames < kStretchBlockFrames) m_playState = PlayState::kLastQueued;
  if (m_equalizer != nullptr && m_equalizer->m_enabled != 0) {
    m_equalizer->ProcessBlock(m_waveBuffers[k], length, source.format.nChannels);
  }
  if (m_device.Write(m_waveBuffers[k], length) != 0) StopAfterWriteError();
}

// While the loop is on, a source frame past the loop end is that far into
// the next pass.
double PlaybackEngine::FoldIntoLoop(double frame, const PlaybackSource& source) const {
  if (!m_loopEnabled) return frame;
  const int32_t align = std::max<int32_t>(source.format.nBlockAlign, 1);
  const Range range = LoopRange(source);
  const double start = range.start / align;
  const double length = (range.end - range.start) / align;
  if (length <= 0.0 || frame < start + length) return frame;
  return start + std::fmod(frame - start, length);
}

std::optional<int64_t> PlaybackEngine::HeardStretchedByte(const PlaybackSource& source) const {
  const std::optional<int64_t> played = m_device.BytesPlayed();
  if (!played) return std::nullopt;
  const int32_t align = std::max<int32_t>(source.format.nBlockAlign, 1);
  int slot = -1;
  for (int k = 0; k < kPlaySlots; ++k) {
    if (m_slotOutputStart[k] < 0 || m_slotOutputStart[k] > *played) continue;
    if (slot < 0 || m_slotOutputStart[k] > m_slotOutputStart[slot]) slot = k;
  }
  if (slot < 0) return m_playStartByte;
  const int64_t into = std::min<int64_t>(*played - m_slotOutputStart[slot], m_blockBytes[slot]);
  const double frame = FoldIntoLoop(m_slotSourceFrame[slot] + (into / align) * m_runSpeed, source);
  const auto byte = static_cast<int64_t>(std::floor(frame)) * align;
  // The stretcher's tail may reach a little past the end of the data.
  return std::min<int64_t>(
      byte,
      std::clamp<int64_t>(source.dataSize, 0, static_cast<int64_t>(source.samples.size()) * 2));
}

// Drops the queue and fills it again from the sound being heard, with the
// current settings; a pause stays a pause.
void PlaybackEngine::Requeue() {
  const PlaybackSource source = Source();
  const bool paused = m_playState == PlayState::kPaused;
  const int32_t align = std::max<int32_t>(source.format.nBlockAlign, 1);
  int64_t heard = HeardSourceByte(source).value_or(m_playStartByte);
  if (m_loopEnabled) {
    const Range range = LoopRange(source);
    heard = std::clamp<int64_t>(heard, range.start, std::max(range.end - align, range.start));
  } else {
    heard = std::clamp<int64_t>(
        heard, 0,
        std::clamp<int64_t>(source.dataSize, 0, static_cast<int64_t>(source.samples.size()) * 2));
  }
  m_device.Reset();
  m_playStartByte = static_cast<int32_t>(heard - heard % align);
  m_playState = PlayState::kPlaying;
  m_loopWrapPhase = 0;
  m_loopWrapCount = 0;
  m_stretchRun = !m_stretch.IsBypass() && EnsureStretcher();
  if (m_stretchRun) {
    PrimeStretched(source);
  } else {
    PrimeFromPosition(source);
  }
  if (paused && m_playState != PlayState::kStopped) {
    m_device.Pause();
    m_playState = PlayState::kPaused;
  }
}

// The recording's own bytes from m_playStartByte, queued as refills are, so
// that a loop wraps (and its passes are counted) as in any other play.
void PlaybackEngine::PrimeFromPosition(const PlaybackSource& source) {
  m_queuePos = m_playStartByte;
  m_lastDone = -1;
  m_lastQueued = kPlaySlots - 1;
  std::fill(std::begin(m_blockBytes), std::end(m_blockBytes), 0);
  for (int k = 0; k < kPlaySlots && m_playState == PlayState::kPlaying; ++k)
    QueueNext(source, RangeEnd(source));
}

}  // namespace velmio

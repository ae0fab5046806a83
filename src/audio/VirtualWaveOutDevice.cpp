#include "audio/VirtualWaveOutDevice.h"

#include <algorithm>
#include <utility>

namespace velmio {

VirtualWaveOutDevice::VirtualWaveOutDevice(std::size_t reserveBytes, std::size_t reserveBlocks) {
  m_played.reserve(reserveBytes);
  m_written.reserve(reserveBlocks);
}

void VirtualWaveOutDevice::SetBlockDoneHandler(std::function<void()> handler) {
  m_handler = std::move(handler);
}

int VirtualWaveOutDevice::Open(const WaveFormat& format) {
  if (m_open) return kNotOpen;  // like the real output: one stream at a time
  if (m_openResult != 0) return m_openResult;
  m_open = true;
  m_paused = false;
  m_position = 0;
  m_format = format;
  ++m_openCount;
  return 0;
}

int VirtualWaveOutDevice::Write(const void* data, int32_t bytes) {
  if (!m_open || bytes < 0) return kNotOpen;
  if (m_writesBeforeFailure >= 0 && m_writeCount >= m_writesBeforeFailure) return kNotOpen;
  if (m_count == kQueueCapacity) return kQueueFull;
  m_queue[(m_head + m_count) % kQueueCapacity] = Block{static_cast<const uint8_t*>(data), bytes, 0};
  ++m_count;
  ++m_writeCount;
  m_written.push_back(bytes);
  return 0;
}

int VirtualWaveOutDevice::Pause() {
  if (!m_open) return kNotOpen;
  m_paused = true;
  return 0;
}

int VirtualWaveOutDevice::Restart() {
  if (!m_open) return kNotOpen;
  m_paused = false;
  return 0;
}

int VirtualWaveOutDevice::Reset() {
  if (!m_open) return kNotOpen;
  Discard();
  m_paused = false;
  m_position = 0;
  ++m_resetCount;
  return 0;
}

std::optional<int64_t> VirtualWaveOutDevice::BytesPlayed() const {
  if (!m_open || !m_knowsPosition) return std::nullopt;
  return m_position;
}

void VirtualWaveOutDevice::Close() {
  Discard();
  m_open = false;
  m_paused = false;
  m_position = 0;
}

void VirtualWaveOutDevice::Discard() {
  m_head = 0;
  m_count = 0;
}

int64_t VirtualWaveOutDevice::Advance(int64_t bytes) {
  int64_t played = 0;
  // The handler may write, pause or reset, so the queue is looked at afresh
  // after every report.
  while (m_open && !m_paused && m_count > 0) {
    Block& head = m_queue[m_head];
    const int64_t n = std::min<int64_t>(head.bytes - head.done, bytes - played);
    if (n > 0) {
      m_played.insert(m_played.end(), head.data + head.done, head.data + head.done + n);
      head.done += static_cast<int32_t>(n);
      m_position += n;
      played += n;
    }
    if (head.done < head.bytes) break;
    m_head = (m_head + 1) % kQueueCapacity;
    --m_count;
    if (m_handler) m_handler();
  }
  return played;
}

void VirtualWaveOutDevice::ClearRecord() {
  m_played.clear();
  m_written.clear();
}

}  // namespace velmio

#pragma once
// A sound output without sound: it "plays" the queued blocks when its manual
// clock is advanced, records every byte it has played and reports finished
// blocks through the handler as the clock passes their ends. Used by the
// tests and wherever playback must run without an audio server. Failures can
// be injected to exercise the error paths. UI thread only.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "audio/WaveOutDevice.h"

namespace velmio {

class VirtualWaveOutDevice final : public WaveOutDevice {
 public:
  // More blocks than this waiting at once make Write fail (the engine keeps four).
  static constexpr int kQueueCapacity = 16;
  // Nonzero results of the failing calls.
  static constexpr int kNotOpen = 5;
  static constexpr int kQueueFull = 7;

  // Reserves room for the record of played bytes and written block sizes, so
  // that a playback of up to that size allocates nothing.
  explicit VirtualWaveOutDevice(std::size_t reserveBytes = 0, std::size_t reserveBlocks = 0);

  void SetBlockDoneHandler(std::function<void()> handler) override;
  int Open(const WaveFormat& format) override;
  bool IsOpen() const override { return m_open; }
  int Write(const void* data, int32_t bytes) override;
  int Pause() override;
  int Restart() override;
  int Reset() override;
  std::optional<int64_t> BytesPlayed() const override;
  void Close() override;

  // The manual clock: lets up to `bytes` bytes of sound pass. Blocks play in
  // order; a block whose end is reached (a 0-byte block as soon as it is at
  // the head) is reported before the clock goes on, so blocks written by the
  // handler play within the same call. Nothing plays while closed, paused or
  // with an empty queue. Returns the bytes played.
  int64_t Advance(int64_t bytes);

  // Every byte played since construction (or ClearRecord), across Reset and Close.
  const std::vector<uint8_t>& Played() const { return m_played; }
  // The size of every block accepted by Write, in order.
  const std::vector<int32_t>& WrittenSizes() const { return m_written; }
  void ClearRecord();
  int QueuedBlocks() const { return m_count; }
  bool IsPaused() const { return m_paused; }
  const WaveFormat& OpenedFormat() const { return m_format; }
  int OpenCount() const { return m_openCount; }
  int ResetCount() const { return m_resetCount; }

  // Failure injection: the result Open gives (0 opens); the number of
  // successful writes after which every Write fails (-1: never); whether the
  // position can be told in bytes.
  int m_openResult = 0;
  int m_writesBeforeFailure = -1;
  bool m_knowsPosition = true;

 private:
  struct Block {
    const uint8_t* data = nullptr;
    int32_t bytes = 0;
    int32_t done = 0;
  };

  void Discard();

  std::function<void()> m_handler;
  Block m_queue[kQueueCapacity];
  int m_head = 0;
  int m_count = 0;
  bool m_open = false;
  bool m_paused = false;
  int64_t m_position = 0;
  WaveFormat m_format;
  int m_openCount = 0;
  int m_resetCount = 0;
  int m_writeCount = 0;
  std::vector<uint8_t> m_played;
  std::vector<int32_t> m_written;
};

}  // namespace velmio

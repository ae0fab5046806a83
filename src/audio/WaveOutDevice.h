#pragma once
// WaveOutDevice: the port through which playback reaches a sound output.
// The playback engine writes blocks of 16-bit PCM in order; the device plays
// them one after the other and hands each one back when it has been heard.
//
// Contract (every adapter keeps it; the playback engine relies on it):
// - All calls come from the UI thread, and the finished-block handler is
//   called on the UI thread, never from inside Write, Pause, Restart, Reset
//   or Close. The handler may call Write, Pause, Reset and BytesPlayed.
// - Every block accepted by Write (result 0) is reported finished exactly
//   once, in the order written, unless Reset or Close discards it first.
//   Discarded blocks are not reported. A device that loses its output while
//   playing reports the blocks it still holds as finished (so playback can
//   end) rather than keeping them forever.
// - A block of 0 bytes is legal: it finishes as soon as every block before
//   it has finished.
// - The bytes of a written block stay untouched by the caller until it is
//   reported or discarded; the device may read them at any time until then.
// - BytesPlayed counts what has actually been heard since Open or the last
//   Reset (output latency taken off), frozen while paused; nullopt when the
//   device cannot tell (for instance when it is not open).
// - Nothing blocks for longer than a short poll; no call waits for the sound.
//
// The real adapter sits on Qt Multimedia (QAudioSink in push mode, position
// from processedUSecs, finished blocks found by a 10-20 ms poll on the UI
// thread); tests and velmio-cli use VirtualWaveOutDevice.
#include <cstdint>
#include <functional>
#include <optional>

#include "audio/WaveFile.h"

namespace velmio {

class WaveOutDevice {
 public:
  virtual ~WaveOutDevice() = default;

  // Called once per finished block, in order; replaces any earlier handler.
  // An empty function unregisters.
  virtual void SetBlockDoneHandler(std::function<void()> handler) = 0;

  // Opens the output for 16-bit PCM in `format`; 0 on success. The device
  // starts playing as soon as a block is written.
  virtual int Open(const WaveFormat& format) = 0;
  virtual bool IsOpen() const = 0;
  // Queues `bytes` bytes (a whole number of sample frames, possibly 0) after
  // the blocks already queued; 0 on success.
  virtual int Write(const void* data, int32_t bytes) = 0;
  // Halts the sound at once, keeping the queue and the position; 0 on success.
  virtual int Pause() = 0;
  // Resumes after Pause where the sound halted; 0 on success.
  virtual int Restart() = 0;
  // Discards every queued block without reporting it and restarts the
  // position at 0. The device stays open (and not paused); 0 on success.
  virtual int Reset() = 0;
  // Bytes heard since Open or the last Reset; nullopt when unknown.
  virtual std::optional<int64_t> BytesPlayed() const = 0;
  // Discards the queue (unreported) and releases the output. Harmless when closed.
  virtual void Close() = 0;
};

}  // namespace velmio

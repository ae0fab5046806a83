#pragma once
// The playback engine: plays the open recording through a WaveOutDevice in
// blocks of 32768 bytes through a ring of four slots, refilling a slot each
// time the device hands one back, optionally through the equalizer, with an
// optional loop range given in analysis frames. CTestView owns one engine,
// forwards the playback commands, the device's finished blocks (the device
// calls the engine directly) and timer 1 to it, and does the scrolling,
// repainting and read-outs the results ask for. Everything runs on the UI
// thread; nothing is allocated from Play until the playback ends.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "audio/Report.h"
#include "audio/Stretcher.h"
#include "audio/WaveFile.h"
#include "audio/WaveOutDevice.h"
#include "dsp/AlignedBuffer.h"

namespace velmio {

class Equalizer;

constexpr int32_t kPlaySlots = 4;

// Where a playback stands. The values are the ones the command rules compare
// with: playing or paused (1 or more) locks the data against changes.
enum class PlayState : int32_t {
  kNothingPlayable = -1,
  kStopped = 0,
  kPlaying = 1,
  kPaused = 2,
  kLastQueued = 3,  // the last block is with the device
  kFinished = 4,    // only inside one refill: the last block came back
  kLoopWrap = 5,    // only inside one refill: the block ends at the loop end
};
constexpr int32_t kPlayBlockBytes = 32768;
// Frames in a block made by the stretcher: four of them (0.37 s at 44.1 kHz)
// ride out a busy moment of the UI thread, and each refill stays short. A
// change of settings does not wait for them: the queue is refilled at once.
constexpr int32_t kStretchBlockFrames = 4096;

// The recording as the engine needs it, asked for afresh whenever it is
// used, so that the engine never keeps a view of samples that may be replaced.
struct PlaybackSource {
  std::span<const int16_t> samples;  // interleaved 16-bit PCM
  int32_t dataSize = 0;              // bytes of the recording
  WaveFormat format;                 // of the data: 16 bits, 1 or 2 channels
  int32_t hopSize = 0;               // samples per analysis frame
};

// What the engine asks of its owner. Empty functions are skipped.
struct PlaybackHooks {
  // The message boxes of playback (device errors, the loop-order refusal).
  ReportFn report;
  // The open recording; without it nothing plays.
  std::function<PlaybackSource()> recording;
  // The converted voice to play instead of the recording (same layout and
  // size), or an empty span; asked for every block.
  std::function<std::span<const int16_t>()> convertedSamples;
  // Renders the converted voice and returns once it is ready; called by Play
  // when convertedSamples is not empty.
  std::function<void()> renderConvertedSamples;
  // Play is about to start at `frame`: scroll to it if it is off screen.
  std::function<void(int32_t frame)> revealFrame;
  // Timer 1 (100 ms): started by Play, killed by Stop.
  std::function<void()> startCursorTimer;
  std::function<void()> stopCursorTimer;
};

// What timer 1 found: the time for the read-out (-1 when the device cannot
// tell) and whether the cursor has moved since it was last drawn by the
// timer (then follow it with the scroll and invalidate).
struct CursorTick {
  int32_t timeMs = -1;
  bool moved = false;
};

class PlaybackEngine {
 public:
  // Allocates the four slots; registers itself as the device's finished-block
  // handler. The device must outlive the engine.
  PlaybackEngine(WaveOutDevice& device, PlaybackHooks hooks);
  // Resets and closes an open device.
  ~PlaybackEngine();
  PlaybackEngine(const PlaybackEngine&) = delete;
  PlaybackEngine& operator=(const PlaybackEngine&) = delete;

  // The equalizer blocks pass through while it is enabled; null for none.
  void SetEqualizer(Equalizer* equalizer) { m_equalizer = equalizer; }

  // Speed and transposition (brought into range). At 100 % / 0 / 0 the
  // blocks are the recording's own bytes; otherwise they come from the
  // stretcher, then pass the equalizer. A change while playing or paused is
  // heard at once: the queue is dropped and refilled from the sound being
  // heard. The first setting other than 100 % / 0 / 0 makes the stretcher
  // (outside the playback path when set before Play). UI thread.
  void SetStretch(const StretchSettings& settings);
  const StretchSettings& Stretch() const { return m_stretch; }

  // A recording has been taken over (analysis completed or analysis data
  // file opened): output format from the data's channels and the rate,
  // start and cursor at 0, state 0.
  void TakeOver(int32_t channels, int32_t sampleRate);
  // A file has been opened: loop off, range 0 ... `endFrame` (the whole
  // frames of the data), no wraps.
  void ResetLoop(int32_t endFrame);

  // Command states (the command table and the toolbar).
  PlayState State() const { return m_playState; }
  bool CanPlay() const {
    return m_playState == PlayState::kStopped || m_playState == PlayState::kPaused;
  }
  bool CanStop() const {
    return m_playState == PlayState::kPlaying || m_playState == PlayState::kPaused;
  }
  bool CanPause() const { return m_playState == PlayState::kPlaying; }
  bool IsStopped() const { return m_playState == PlayState::kStopped; }
  // Playing, paused or ending: the recording must not change.
  bool IsPlayingOrPaused() const { return m_playState >= PlayState::kPlaying; }
  // A recording is being replaced: stops, and nothing plays (in the old
  // format) until the next take-over.
  void ForgetRecording();

  // PLAY: resumes after a pause, or starts from m_playStartByte (the loop
  // start while the loop is on). Does nothing unless CanPlay().
  void Play();
  // STOP (also the end of the data): the next Play continues where the
  // sound stopped. Does nothing unless a playback is on (state >= 1).
  void Stop();
  // Pause: halts the sound, keeps the queue; Play resumes. Only in state 1.
  void Pause();
  // ReWind: start and cursor to 0. Refused (false) while playing or paused;
  // on true scroll to 0 and invalidate.
  bool Rewind();
  // The device has finished a block (the device calls this).
  void OnBlockDone();
  // The converted voice has been rendered anew: while a playback is on, every
  // slot still with the device gets the `converted` bytes of its own source
  // range (a loop wrap included), so the change is heard at once. The bytes
  // go in as they are, without the equalizer.
  void RefreshQueuedBuffers(std::span<const int16_t> converted);
  // Timer 1: moves the cursor to the sound being heard.
  CursorTick OnCursorTimer();

  // LOOP再生: flips the loop; turning it off moves the next start to the
  // cursor. Refused (false) while playing or paused; on true update the
  // loop label, re-render and invalidate.
  bool ToggleLoop();
  // Loop start / end at `frame` (the clicked column's frame). Only while
  // stopped and inside the data; true when stored (update the label and invalidate).
  bool SetLoopStart(int32_t frame);
  bool SetLoopEnd(int32_t frame);
  // Double click: the next play starts at `frame` and the cursor goes there.
  // Only while stopped and inside the data.
  bool MoveStartTo(int32_t frame);
  // The text of the loop label: empty while the loop is off.
  std::string LoopLabel() const;

  const WaveFormat& PlayFormat() const { return m_playFormat; }
  // Byte offset in the recording where the next Play starts.
  int32_t PlayStartByte() const { return m_playStartByte; }
  // The frame of the sound being heard, as timer 1 last found it.
  int32_t CursorFrame() const { return m_cursorFrame; }
  bool LoopEnabled() const { return m_loopEnabled; }
  int32_t LoopStartFrame() const { return m_loopStartFrame; }
  int32_t LoopEndFrame() const { return m_loopEndFrame; }

 private:
  // The engine's own tests put it into states directly.
  friend struct PlaybackEngineProbe;

  PlayState m_playState = PlayState::kNothingPlayable;
  WaveFormat m_playFormat;
  int16_t* m_waveBuffers[kPlaySlots] = {};
  int32_t m_blockBytes[kPlaySlots] = {};
  // Byte offset in the recording of the block each slot holds.
  int32_t m_slotSource[kPlaySlots] = {};
  int32_t m_lastQueued = 0;
  int32_t m_lastDone = -1;
  int32_t m_queuePos = 0;
  int32_t m_playStartByte = 0;
  int32_t m_cursorFrame = 0;
  bool m_loopEnabled = false;
  int32_t m_loopStartFrame = 0;
  int32_t m_loopEndFrame = 0;
  int32_t m_loopWrapPhase = 0;
  int32_t m_loopWrapCount = 0;
  // The frame at which timer 1 last drew the cursor.
  int32_t m_lastDrawnFrame = -1;

  // Slower / faster and transposed playback.
  StretchSettings m_stretch;
  std::unique_ptr<Stretcher> m_stretcher;
  bool m_stretchRun = false;       // the current play goes through the stretcher
  double m_runSpeed = 1.0;         // source frames per output frame of that play
  int64_t m_outputBytes = 0;       // bytes written since the device was reset
  double m_nextSourceFrame = 0.0;  // the source frame the next output frame sounds
  // Per slot: output byte at which it starts (-1: not in this play) and the
  // source frame it starts with.
  int64_t m_slotOutputStart[kPlaySlots] = {};
  double m_slotSourceFrame[kPlaySlots] = {};

  // Byte range [start, end) of the current play, clamped to the data.
  struct Range {
    int32_t start = 0;
    int32_t end = 0;
  };

  PlaybackSource Source() const;
  Range LoopRange(const PlaybackSource& source) const;
  int32_t RangeEnd(const PlaybackSource& source) const;
  bool StartOver(const PlaybackSource& source);
  bool OpenDevice();
  void Prime(const PlaybackSource& source, int32_t end);
  void QueueNext(const PlaybackSource& source, int32_t end);
  void FillSlot(const PlaybackSource& source, int slot, int32_t length);
  void StopAfterWriteError();
  std::span<const int16_t> PlayedSamples(const PlaybackSource& source) const;
  // The recording's byte the sound being heard comes from (not clamped), or
  // nullopt when the device cannot tell.
  std::optional<int64_t> HeardSourceByte(const PlaybackSource& source) const;
  std::optional<int64_t> HeardStretchedByte(const PlaybackSource& source) const;
  double FoldIntoLoop(double frame, const PlaybackSource& source) const;
  bool EnsureStretcher();
  bool PrimeStretched(const PlaybackSource& source);
  void PrimeFromPosition(const PlaybackSource& source);
  void QueueStretched(const PlaybackSource& source);
  void Requeue();
  class StretchFeed;
  void Report(const char* message) const;
  bool StoreLoopPoint(int32_t frame, int32_t& point);

  WaveOutDevice& m_device;
  PlaybackHooks m_hooks;
  Equalizer* m_equalizer = nullptr;
  // One block of four slots, made once.
  AlignedBuffer<int16_t> m_slotBlock;
};

// Bytes per analysis frame of `source` (nBlockAlign × hop), 0 when unknown.
int64_t BytesPerFrame(const PlaybackSource& source);

}  // namespace velmio

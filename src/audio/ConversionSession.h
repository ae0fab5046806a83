#pragma once
// The conversion session of a voice opened in single-voice mode: it owns the
// overlap-add accumulator and the converted audio, and renders on its own
// thread while playback goes on reading the last finished rendering.
//
// Hand-over. Three buffers of converted audio take turns: the shown one
// (what playback and saving read, replaced only on the UI thread), a
// finished one waiting to be shown, and the one being rendered (written only
// by the rendering thread). A rendering never writes a buffer anyone else
// reads, and the UI thread swaps a finished rendering in with TakeFinished
// between two playback blocks, so no lock is held on the playback path and
// nothing there allocates.
//
// One rendering at a time: a request that arrives while one runs follows it.
// Only the newest waiting request is kept (older waiting ones are dropped),
// and it starts as soon as the running rendering has finished; the running
// one is finished and shown, not thrown away, so that a slider being dragged
// keeps being heard. Preparing, changing the voice or releasing cancels the
// running rendering and waits for it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include "audio/VoiceConversion.h"
#include "dsp/AlignedBuffer.h"

namespace velmio {

class ConversionSession {
 public:
  // What renders one request; RenderConversion unless a test replaces it.
  using Renderer =
      std::function<ConversionResult(const ConversionInput&, ConversionRatios, ConversionWork&,
                                     std::span<int16_t>, const std::atomic<bool>*)>;

  ConversionSession();
  explicit ConversionSession(Renderer renderer);
  // Cancels a running rendering and ends the rendering thread.
  ~ConversionSession();
  ConversionSession(const ConversionSession&) = delete;
  ConversionSession& operator=(const ConversionSession&) = delete;

  // UI thread. A recording opened in single-voice mode: fresh, silent
  // buffers for its mono `samples`, which the session borrows until the next
  // Prepare or Release. Cancels and waits for a running rendering first.
  void Prepare(std::span<const int16_t> samples);
  // UI thread. The voice the renderings read (the analysis' mono signal and
  // its pitch marks, borrowed until the next SetVoice, Prepare or Release).
  // Cancels and waits for a running rendering first.
  void SetVoice(std::span<const float> signal, std::span<const int32_t> marks);
  // UI thread. Cancels and waits for a running rendering, then frees
  // everything: nothing is converted any more.
  void Release();
  bool IsPrepared() const { return m_sampleCount > 0; }

  // Any thread. Requests a rendering at `ratios` and returns at once; both
  // ratios exactly 1 copy the recording unchanged. Ignored while not prepared.
  void StartConversion(ConversionRatios ratios);
  // A rendering runs or waits to run.
  bool IsBusy() const;
  // UI thread. Shows a finished rendering in place of the current one; true
  // when the converted audio changed (then refresh what is queued).
  bool TakeFinished();
  // UI thread. Waits until no rendering runs or waits, then TakeFinished.
  bool WaitAndTake();

  // UI thread. The converted audio shown now, one sample per source sample;
  // empty while not prepared. Valid until the next TakeFinished, Prepare or Release.
  std::span<const int16_t> ConvertedSamples() const;
  // The ratios the shown audio was rendered for; nothing while it is the
  // silence of a fresh Prepare.
  std::optional<ConversionRatios> ShownRatios() const { return m_shownRatios; }

 private:
  void RenderLoop();
  void RenderOne(ConversionRatios ratios, int back, int newest);
  void StopRendering();

  Renderer m_renderer;
  std::span<const int16_t> m_samples;
  ConversionInput m_voice;
  std::size_t m_sampleCount = 0;
  ConversionWork m_work;  // touched by the rendering thread only, or while it is idle
  AlignedBuffer<int16_t> m_buffers[3];
  int m_shown = 0;
  int m_finished = 1;
  int m_rendering = 2;
  std::optional<ConversionRatios> m_shownRatios;

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;  // a request or the end
  std::condition_variable m_idle;  // a rendering has ended
  std::optional<ConversionRatios> m_pending;
  bool m_running = false;
  bool m_hasFinished = false;
  ConversionRatios m_finishedRatios;
  bool m_quit = false;
  std::atomic<bool> m_cancel{false};
  // Declared last: it starts once everything it reads exists.
  std::thread m_thread;
};

}  // namespace velmio

#include "audio/ConversionSession.h"

#include <algorithm>
#include <utility>

namespace velmio {

ConversionSession::ConversionSession() : ConversionSession(Renderer(RenderConversion)) {}

ConversionSession::ConversionSession(Renderer renderer)
    : m_renderer(std::move(renderer)), m_thread([this] { RenderLoop(); }) {}

ConversionSession::~ConversionSession() {
  m_cancel = true;
  {
    const std::lock_guard lock(m_mutex);
    m_quit = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

// Under the lock on return: no rendering runs or waits.
void ConversionSession::StopRendering() {
  std::unique_lock lock(m_mutex);
  m_pending.reset();
  m_cancel = true;
  m_idle.wait(lock, [this] { return !m_running; });
  m_cancel = false;
  m_hasFinished = false;
}

void ConversionSession::Prepare(std::span<const int16_t> samples) {
  StopRendering();
  const std::lock_guard lock(m_mutex);
  m_samples = samples;
  m_sampleCount = samples.size();
  m_voice = ConversionInput{};
  m_voice.sourceLength = static_cast<int32_t>(samples.size());
  for (AlignedBuffer<int16_t>& buffer : m_buffers) buffer.Reset(samples.size());
  // The accumulator holds dataSize entries, twice the samples: room for the
  // voice stretched by the largest formant ratio.
  m_work.Reserve(2 * samples.size());
  m_shownRatios.reset();
}

void ConversionSession::SetVoice(std::span<const float> signal, std::span<const int32_t> marks) {
  StopRendering();
  const std::lock_guard lock(m_mutex);
  m_voice.signal = signal;
  m_voice.marks = marks;
}

void ConversionSession::Release() {
  StopRendering();
  const std::lock_guard lock(m_mutex);
  m_samples = {};
  m_sampleCount = 0;
  m_voice = ConversionInput{};
  for (AlignedBuffer<int16_t>& buffer : m_buffers) buffer.Free();
  m_work.Reserve(0);
  m_shownRatios.reset();
}

void ConversionSession::StartConversion(ConversionRatios ratios) {
  {
    const std::lock_guard lock(m_mutex);
    if (m_sampleCount == 0) return;
    m_pending = ratios;
  }
  m_wake.notify_one();
}

bool ConversionSession::IsBusy() const {
  const std::lock_guard lock(m_mutex);
  return m_running || m_pending.has_value();
}

bool ConversionSession::TakeFinished() {
  const std::lock_guard lock(m_mutex);
  if (!m_hasFinished) return false;
  std::swap(m_shown, m_finished);
  m_hasFinished = false;
  m_shownRatios = m_finishedRatios;
  return true;
}

bool ConversionSession::WaitAndTake() {
  {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_running && !m_pending.has_value(); });
  }
  return TakeFinished();
}

std::span<const int16_t> ConversionSession::ConvertedSamples() const {
  return m_buffers[m_shown].span();
}

void ConversionSession::RenderLoop() {
  std::unique_lock lock(m_mutex);
  while (true) {
    m_wake.wait(lock, [this] { return m_quit || m_pending.has_value(); });
    if (m_quit) return;
    const ConversionRatios ratios = *m_pending;
    m_pending.reset();
    m_running = true;
    // The newest audio there is: what samples the rendering does not reach keep.
    const int newest = m_hasFinished ? m_finished : m_shown;
    const int back = m_rendering;
    lock.unlock();
    RenderOne(ratios, back, newest);
    lock.lock();
    m_running = false;
    if (!m_cancel) {
      std::swap(m_rendering, m_finished);
      m_hasFinished = true;
      m_finishedRatios = ratios;
    }
    m_idle.notify_all();
  }
}

// Runs without the lock: the buffer `back` is this thread's alone, and
// `newest` and the borrowed input are only read, by everyone, until the
// rendering has ended (Prepare, SetVoice and Release wait for that).
void ConversionSession::RenderOne(ConversionRatios ratios, int back, int newest) {
  const std::span<int16_t> out = m_buffers[back].span();
  const std::span<const int16_t> previous = m_buffers[newest].span();
  std::size_t stored = 0;
  if (ratios.IsIdentity()) {
    std::copy(m_samples.begin(), m_samples.end(), out.begin());
    stored = out.size();
  } else {
    const ConversionResult result = m_renderer(m_voice, ratios, m_work, out, &m_cancel);
    if (result.cancelled) return;
    stored = std::min<std::size_t>(static_cast<std::size_t>(result.stored), out.size());
  }
  std::copy(previous.begin() + static_cast<std::ptrdiff_t>(stored), previous.end(),
            out.begin() + static_cast<std::ptrdiff_t>(stored));
}

}  // namespace velmio

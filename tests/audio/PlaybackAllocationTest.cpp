// Playback allocates nothing once Play has been called: every block, refill,
// loop wrap, equalizer pass, timer tick and the final stop run on memory made
// beforehand. Counted with a replaced global operator new and C allocator.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "PlaybackRig.h"
#include "SungTone.h"
#include "audio/ConversionSession.h"
#include "audio/Equalizer.h"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  if (g_counting.load()) ++g_allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

// Out of line, so that the compiler does not pair malloc inside the replaced
// new with the free here as if they were unrelated calls.
__attribute__((noinline)) void operator delete(void* p) noexcept {
  std::free(p);
}
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

// The C allocator too, as libraries use it (the stretcher among them). Not
// under the sanitizers, which bring their own.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  return __libc_realloc(p, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  *out = __libc_memalign(alignment, size);
  return *out != nullptr || size == 0 ? 0 : ENOMEM;
}
void* aligned_alloc(std::size_t alignment, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  return __libc_memalign(alignment, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) ++g_allocations;
  return __libc_memalign(alignment, size);
}
}
#endif

namespace velmio::test {
namespace {

constexpr int32_t kBlock = kPlayBlockBytes;

TEST(PlaybackAllocation, NoneFromPlayToTheEnd) {
  for (bool loop : {false, true}) {
    PlaybackRig rig(2, 24 * kBlock + 4 * 123, 44100, 64 * kBlock);
    Equalizer bank(44100.0f);
    bank.UpdateFilters({3, 0, -5, 0, 12, 0, 0, -24, 0, 0, 6}, 1.0f);
    bank.m_enabled = 1;
    rig.engine.SetEqualizer(&bank);
    if (loop) {
      rig.engine.ToggleLoop();
      rig.engine.SetLoopStart(30);
      rig.engine.SetLoopEnd(30 + 5 * 32 + 7);
    }
    rig.revealed.reserve(4);  // the rig's own record of scroll requests
    g_counting = true;
    rig.engine.Play();
    for (int i = 0; i < 40; ++i) {
      rig.device.Advance(kBlock / 2 + 123);
      rig.engine.OnCursorTimer();
    }
    rig.engine.Pause();
    rig.engine.Play();
    rig.RunOut(8 * kBlock);
    rig.engine.Stop();
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0) << (loop ? "loop" : "whole");
    EXPECT_GT(rig.device.Played().size(), 20u * kBlock);
    g_allocations = 0;
  }
}

// The converted voice plays while renderings replace it on their own thread:
// taking a finished rendering and refreshing the queued blocks allocate
// nothing either, nor does the rendering thread once its grain windows are made.
TEST(PlaybackAllocation, NoneWhileTheConvertedVoiceIsRenderedAnew) {
  const SungTone tone = MakeSungTone({44100, 4.0, 180.0, 260.0, 0.02, 12000.0, 8});
  const int32_t dataSize = static_cast<int32_t>(tone.pcm.size() * 2);
  ConversionSession session;
  session.Prepare(tone.pcm);
  session.SetVoice(tone.signal, tone.marks);
  const ConversionRatios up{2.0f, 1.25f}, down{0.7f, 0.9f};
  for (const ConversionRatios ratios : {up, down}) {
    session.StartConversion(ratios);
    session.WaitAndTake();
  }
  WaveFormat format;
  MakePcm16Format(format, 1, 44100);
  VirtualWaveOutDevice device(static_cast<std::size_t>(dataSize) * 2, 256);
  PlaybackHooks hooks;
  hooks.recording = [&] { return PlaybackSource{tone.pcm, dataSize, format, kHop}; };
  hooks.convertedSamples = [&] { return session.ConvertedSamples(); };
  PlaybackEngine engine(device, hooks);
  engine.TakeOver(1, 44100);

  g_counting = true;
  engine.Play();
  int taken = 0;
  for (int i = 0; i < 40; ++i) {
    if (i % 8 == 0) session.StartConversion(i % 16 == 0 ? up : down);
    if (session.TakeFinished()) {
      engine.RefreshQueuedBuffers(session.ConvertedSamples());
      ++taken;
    }
    device.Advance(kBlock / 4);
    engine.OnCursorTimer();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  session.WaitAndTake();
  engine.Stop();
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0);
  EXPECT_GT(taken, 0);
  g_allocations = 0;
}

// Through the stretcher too, made when the settings are first set. A
// transposition's resampling filter is made by the library each time a
// stream starts (Play, a change of settings): those two commands are counted
// only when nothing is transposed. Refills, ticks, loop wraps, pause, resume
// and the stop are always counted.
struct StretchAllocationCase {
  StretchSettings settings;
  StretchSettings change;  // set while playing
  bool loop;
};

TEST(PlaybackAllocation, NoneWhileStretching) {
  const StretchAllocationCase cases[] = {
      {{50, 0, 0}, {75, 0, 0}, false},
      {{50, 0, 0}, {120, 0, 0}, true},
      {{50, -2, 30}, {120, 4, 0}, false},
      {{67, 3, 0}, {90, -12, -50}, true},
  };
  for (const StretchAllocationCase& c : cases) {
    const bool countStarts = c.settings.PitchScale() == 1.0 && c.change.PitchScale() == 1.0;
    PlaybackRig rig(2, 24 * kBlock + 4 * 123, 44100, 64 * kBlock);
    Equalizer bank(44100.0f);
    bank.UpdateFilters({3, 0, -5, 0, 12, 0, 0, -24, 0, 0, 6}, 1.0f);
    bank.m_enabled = 1;
    rig.engine.SetEqualizer(&bank);
    rig.engine.SetStretch(c.settings);
    if (c.loop) {
      rig.engine.ToggleLoop();
      rig.engine.SetLoopStart(30);
      rig.engine.SetLoopEnd(30 + 3 * 32 + 7);
    }
    rig.revealed.reserve(4);
    g_counting = countStarts;
    rig.engine.Play();
    g_counting = true;
    for (int i = 0; i < 40; ++i) {
      rig.device.Advance(kBlock / 4 + 123);
      rig.engine.OnCursorTimer();
      if (i == 20) {
        g_counting = countStarts;
        rig.engine.SetStretch(c.change);
        g_counting = true;
      }
    }
    rig.engine.Pause();
    rig.engine.Play();
    rig.RunOut(4 * kBlock);
    rig.engine.Stop();
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 0) << c.settings.speedPercent << "% " << c.settings.semitones
                                       << " st" << (c.loop ? ", loop" : "");
    EXPECT_GT(rig.device.Played().size(), 6u * kBlock);
    g_allocations = 0;
  }
}

}  // namespace
}  // namespace velmio::test

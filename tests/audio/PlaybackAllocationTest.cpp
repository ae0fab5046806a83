// Playback allocates nothing once Play has been called: every block, refill,
// loop wrap, equalizer pass, timer tick and the final stop run on memory made
// beforehand. Counted with a replaced global operator new.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
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

}  // namespace
}  // namespace velmio::test

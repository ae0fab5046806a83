// The conversion session: one rendering at a time, a newer request follows
// the running one (only the newest waiting request is kept), a finished
// rendering is shown only when the UI thread takes it, what a rendering does
// not reach keeps the previous rendering, and releasing cancels.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "SungTone.h"
#include "audio/ConversionSession.h"

namespace velmio::test {
namespace {

// A renderer that holds every rendering until the test lets it go, and
// records the ratios it was asked for.
class GatedRenderer {
 public:
  ConversionSession::Renderer Function() {
    return [this](const ConversionInput&, ConversionRatios ratios, ConversionWork&,
                  std::span<int16_t> out, const std::atomic<bool>* cancel) {
      std::unique_lock lock(m_mutex);
      m_calls.push_back(ratios);
      m_changed.notify_all();
      const size_t call = m_calls.size();
      // The cancel flag comes without a notification: look at it now and then.
      while (!m_changed.wait_for(lock, std::chrono::milliseconds(1), [&] {
        return m_released >= call || (cancel && cancel->load());
      })) {
      }
      ConversionResult result;
      if (cancel && cancel->load()) {
        result.cancelled = true;
        return result;
      }
      // A marker of the call in the first half; the second half is not reached.
      for (size_t i = 0; i < out.size() / 2; ++i) out[i] = static_cast<int16_t>(100 * call);
      result.stored = static_cast<int32_t>(out.size() / 2);
      return result;
    };
  }
  void WaitForCalls(size_t count) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_calls.size() >= count; });
  }
  void Release(size_t count) {
    const std::lock_guard lock(m_mutex);
    m_released = count;
    m_changed.notify_all();
  }
  std::vector<ConversionRatios> Calls() {
    const std::lock_guard lock(m_mutex);
    return m_calls;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<ConversionRatios> m_calls;
  size_t m_released = 0;
};

std::vector<int16_t> PatternSamplesForSession() {
  std::vector<int16_t> samples(3001);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 7919 % 65536);
  return samples;
}

constexpr ConversionRatios kUp{2.0f, 1.0f};
constexpr ConversionRatios kDown{0.5f, 0.75f};
constexpr ConversionRatios kOther{1.5f, 1.25f};

TEST(ConversionSession, BothRatiosOneCopyTheRecordingByteForByte) {
  const std::vector<int16_t> samples = PatternSamplesForSession();
  ConversionSession session;
  session.Prepare(samples);
  ASSERT_EQ(session.ConvertedSamples().size(), samples.size());
  EXPECT_FALSE(session.ShownRatios().has_value());
  for (int16_t s : session.ConvertedSamples()) ASSERT_EQ(s, 0);  // silent until rendered
  session.StartConversion({1.0f, 1.0f});
  EXPECT_TRUE(session.WaitAndTake());
  EXPECT_FALSE(session.IsBusy());
  const std::span<const int16_t> converted = session.ConvertedSamples();
  EXPECT_TRUE(std::equal(converted.begin(), converted.end(), samples.begin()));
  EXPECT_EQ(session.ShownRatios(), (ConversionRatios{1.0f, 1.0f}));
}

TEST(ConversionSession, ANewerRequestFollowsTheRunningOneAndReplacesOlderWaitingOnes) {
  const std::vector<int16_t> samples(1000, 7);
  GatedRenderer gate;
  ConversionSession session(gate.Function());
  session.Prepare(samples);
  session.StartConversion(kUp);
  gate.WaitForCalls(1);
  session.StartConversion(kDown);   // waits ...
  session.StartConversion(kOther);  // ... and is replaced by this one
  EXPECT_TRUE(session.IsBusy());
  EXPECT_FALSE(session.TakeFinished());  // nothing finished yet
  gate.Release(1);
  gate.WaitForCalls(2);
  // The first rendering was finished and can be shown while the next runs.
  EXPECT_TRUE(session.TakeFinished());
  EXPECT_EQ(session.ShownRatios(), kUp);
  EXPECT_EQ(session.ConvertedSamples()[0], 100);
  gate.Release(2);
  EXPECT_TRUE(session.WaitAndTake());
  EXPECT_EQ(session.ShownRatios(), kOther);
  EXPECT_EQ(session.ConvertedSamples()[0], 200);
  EXPECT_EQ(gate.Calls(), (std::vector<ConversionRatios>{kUp, kOther}));
}

TEST(ConversionSession, SamplesARenderingDoesNotReachKeepThePreviousOnes) {
  const std::vector<int16_t> samples = PatternSamplesForSession();
  GatedRenderer gate;
  gate.Release(100);
  ConversionSession session(gate.Function());
  session.Prepare(samples);
  session.StartConversion({1.0f, 1.0f});  // the copy reaches every sample
  session.WaitAndTake();
  session.StartConversion(kUp);  // the gated renderer stores the first half
  session.WaitAndTake();
  session.StartConversion(kDown);
  session.WaitAndTake();
  const std::span<const int16_t> converted = session.ConvertedSamples();
  const size_t half = samples.size() / 2;
  for (size_t i = 0; i < half; ++i) ASSERT_EQ(converted[i], 200) << i;
  for (size_t i = half; i < samples.size(); ++i) ASSERT_EQ(converted[i], samples[i]) << i;
}

TEST(ConversionSession, RendersWhatTheConverterRenders) {
  const SungTone tone = MakeSungTone({44100, 0.5, 220.0, 260.0, 0.02, 12000.0, 10});
  ConversionSession session;
  session.Prepare(tone.pcm);
  session.SetVoice(tone.signal, tone.marks);
  session.StartConversion(kUp);
  ASSERT_TRUE(session.WaitAndTake());

  ConversionWork work;
  work.Reserve(2 * tone.pcm.size());
  std::vector<int16_t> direct(tone.pcm.size(), 0);
  const ConversionResult result = RenderConversion(
      {tone.signal, tone.marks, static_cast<int32_t>(tone.pcm.size())}, kUp, work, direct);
  ASSERT_GT(result.stored, 0);
  const std::span<const int16_t> converted = session.ConvertedSamples();
  EXPECT_TRUE(std::equal(converted.begin(), converted.end(), direct.begin()));
}

TEST(ConversionSession, ReleaseCancelsTheRunningRendering) {
  const std::vector<int16_t> samples(5000, 3);
  GatedRenderer gate;  // never released: only the cancel ends its rendering
  ConversionSession session(gate.Function());
  session.Prepare(samples);
  session.StartConversion(kUp);
  gate.WaitForCalls(1);
  session.StartConversion(kDown);
  session.Release();
  EXPECT_FALSE(session.IsBusy());
  EXPECT_FALSE(session.IsPrepared());
  EXPECT_TRUE(session.ConvertedSamples().empty());
  EXPECT_FALSE(session.TakeFinished());
  // Requests are ignored until the next recording.
  session.StartConversion(kUp);
  EXPECT_FALSE(session.IsBusy());
  EXPECT_EQ(gate.Calls().size(), 1u);
}

}  // namespace
}  // namespace velmio::test

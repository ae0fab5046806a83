#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <new>
#include <thread>
#include <vector>

#include "engine/AnalysisJob.h"
#include "engine/LevelConversion.h"

namespace velmio {
namespace {

using namespace std::chrono_literals;

struct Recording {
  std::vector<int16_t> pcm;
  KernelBank bank;
  AnalysisInput input;

  Recording(int frames, int channels) : pcm(static_cast<std::size_t>(frames) * channels) {
    for (int i = 0; i < frames; ++i) {
      const auto v = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440.0 * i / 44100));
      for (int c = 0; c < channels; ++c) pcm[i * channels + c] = v;
    }
    BuildKernelBank(KernelParams{}, bank);
    input.samples = pcm.data();
    input.dataSize = static_cast<int32_t>(pcm.size() * 2);
    input.channels = channels;
    input.bank = &bank;
  }
};

// Polls like the UI thread's progress timer until the job reports state 2.
bool WaitForFinished(AnalysisJob& job) {
  for (int i = 0; i < 3000; ++i) {
    if (job.State() == AnalysisState::kFinished) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

TEST(AnalysisJob, RunsThroughItsStatesAndHandsTheResultOver) {
  struct Case {
    bool pitch, formants;
    std::vector<int> states;
  } cases[] = {
      {false, false, {1, 2, 3}},
      {true, false, {1, 4, 2, 3}},
      {true, true, {1, 4, 5, 2, 3}},
      {false, true, {1, 5, 2, 3}},
  };
  for (const Case& c : cases) {
    Recording recording(44100, 2);
    recording.input.pitchEnabled = c.pitch;
    recording.input.formantEnabled = c.formants;
    AnalysisJob job;
    Spectrogram result;
    std::vector<int> seen;
    AnalysisStages stages;
    stages.detectPitch = [&](Spectrogram& s) {
      seen.push_back(static_cast<int>(job.State()));
      EXPECT_GT(s.m_frameCount, 0);  // the levels exist before the later stages run
    };
    stages.extractFormants = [&](Spectrogram&) { seen.push_back(static_cast<int>(job.State())); };
    job.Start(recording.input, result, stages);
    // Start() sets 1 before the thread exists; the job may already be further.
    EXPECT_TRUE(IsAnalysisBusy(job.State()));
    ASSERT_TRUE(WaitForFinished(job));  // the stages' records are visible from here on
    seen.insert(seen.begin(), static_cast<int>(AnalysisState::kTransform));
    seen.push_back(static_cast<int>(job.State()));
    EXPECT_GE(job.Seconds(), 0.0);
    ASSERT_TRUE(job.TakeOver());
    seen.push_back(static_cast<int>(job.State()));
    EXPECT_EQ(seen, c.states);
    EXPECT_FALSE(job.TakeOver());
    EXPECT_EQ(result.m_frameCount, 172);
    EXPECT_EQ(result.m_rowCount, 864);
    // Each stage restarts the progress from 0; the transform alone ends at 100.
    if (!c.pitch && !c.formants) {
      EXPECT_EQ(g_analysisProgress.load(), 100);
    }
  }
}

TEST(AnalysisJob, ResultLayoutMatchesTheGeometry) {
  Recording recording(22050, 1);
  AnalysisJob job;
  Spectrogram result;
  job.Start(recording.input, result);
  ASSERT_TRUE(WaitForFinished(job));
  job.TakeOver();
  const int frames = result.m_frameCount;
  ASSERT_EQ(result.m_levelDb.size(), static_cast<std::size_t>(864) * frames);
  ASSERT_EQ(result.m_frameEnergy.size(), static_cast<std::size_t>(frames));
  ASSERT_EQ(result.m_formantMask.size(), static_cast<std::size_t>(864) * frames);
  ASSERT_EQ(result.m_monoSignal.size(), 22080u);
  // Frame 0 never fits a kernel: every row reads the silence level.
  for (int r = 0; r < 864; ++r) ASSERT_NEAR(result.LevelAt(r, 0), kSilenceDb, 0.01f);
  // The loudest row in the middle of the sine is A4's block (row 8 * (119 - 57) + ...).
  int loudest = 0;
  for (int r = 0; r < 864; ++r) {
    if (result.LevelAt(r, frames / 2) > result.LevelAt(loudest, frames / 2)) loudest = r;
  }
  EXPECT_EQ(119 - loudest / 8, 57);
  EXPECT_NEAR(result.LevelAt(loudest, frames / 2), 20 * std::log10(12000.0 / 65536), 0.5);
}

TEST(AnalysisJob, EmptyRecordingStillCompletes) {
  Recording recording(200, 1);  // pads to 224 samples: less than one hop
  AnalysisJob job;
  Spectrogram result;
  job.Start(recording.input, result);
  ASSERT_TRUE(WaitForFinished(job));
  EXPECT_TRUE(job.TakeOver());
  EXPECT_EQ(result.m_frameCount, 0);
  EXPECT_TRUE(result.m_levelDb.empty());
}

// Memory running out inside the job ends the run, not the program: the job
// still reaches state 2, says it failed, and the next run starts clean.
TEST(AnalysisJob, AllocationFailureIsReportedAtTheHandOver) {
  Recording recording(22050, 1);
  recording.input.pitchEnabled = true;
  AnalysisJob job;
  Spectrogram result;
  AnalysisStages stages;
  stages.detectPitch = [](Spectrogram&) { throw std::bad_alloc(); };
  job.Start(recording.input, result, stages);
  ASSERT_TRUE(WaitForFinished(job));
  EXPECT_TRUE(job.Failed());
  EXPECT_TRUE(job.TakeOver());

  recording.input.pitchEnabled = false;
  job.Start(recording.input, result);
  ASSERT_TRUE(WaitForFinished(job));
  EXPECT_FALSE(job.Failed());
  EXPECT_TRUE(job.TakeOver());
}

TEST(AnalysisJob, AbandonAndDestroyWhileRunning) {
  // Closing the program mid-analysis must neither hang nor touch freed memory.
  Recording recording(44100 * 30, 2);
  for (auto wait : {0ms, 5ms, 50ms}) {
    Spectrogram result;
    AnalysisJob job;
    job.Start(recording.input, result);
    std::this_thread::sleep_for(wait);
    job.Abandon();
    EXPECT_EQ(job.State(), AnalysisState::kIdle);
  }
  Spectrogram result;
  {
    AnalysisJob job;
    job.Start(recording.input, result);
    std::this_thread::sleep_for(10ms);
  }  // the destructor stops and joins
  Spectrogram again;
  AnalysisJob job;
  job.Start(recording.input, again);
  ASSERT_TRUE(WaitForFinished(job));
  job.Abandon();  // finished but never taken over
  EXPECT_EQ(job.State(), AnalysisState::kIdle);
}

}  // namespace
}  // namespace velmio

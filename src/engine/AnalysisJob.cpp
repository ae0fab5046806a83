#include "engine/AnalysisJob.h"

#include <chrono>
#include <new>

#include "dsp/StereoMix.h"
#include "engine/LevelConversion.h"

namespace velmio {

std::atomic<int> g_analysisProgress{0};

void MixToMonoSignal(const int16_t* samples, int channels, int sampleFrames, float* mono) {
  if (channels == 2) {
    MixStereoToMono(samples, static_cast<std::size_t>(sampleFrames), mono);
  } else {
    for (int i = 0; i < sampleFrames; ++i) mono[i] = static_cast<float>(samples[i]);
  }
  // The rest of the padded signal is already zero (fresh buffer).
}

FrameGeometry PrepareMonoSignal(const AnalysisInput& input, Spectrogram& result) {
  const FrameGeometry g =
      ComputeFrameGeometry(input.dataSize, input.bitsPerSample, input.channels, input.HopSize(),
                           input.lowNote, input.highNote, input.BinsPerSemitone());
  result.m_paddedLength = g.paddedLength;
  result.m_monoSignal.Reset(static_cast<std::size_t>(g.paddedLength));
  MixToMonoSignal(input.samples, input.channels, g.sampleFrames, result.m_monoSignal.data());
  result.m_frameCount = g.frameCount;
  result.m_rowCount = g.rowCount;
  return g;
}

void AnalyseSignal(const AnalysisInput& input, Spectrogram& result,
                   const ConstantQOptions& options) {
  const FrameGeometry g = PrepareMonoSignal(input, result);

  const std::size_t frames = static_cast<std::size_t>(g.frameCount);
  // Each bin's power goes straight into the first of its display rows, so no
  // matrix besides the levels is needed; the rows are converted in place.
  result.m_levelDb.Reset(static_cast<std::size_t>(g.rowCount) * frames);
  ConstantQOptions transform = options;
  const int rowsPerBin = 8 / input.BinsPerSemitone();
  transform.powerRowStride = -static_cast<int64_t>(rowsPerBin) * g.frameCount;
  float* lowestBinRow =
      BinRow(result.m_levelDb.data(), g.binCount, g.frameCount, input.BinsPerSemitone(), 0);
  ComputeConstantQ(result.m_monoSignal.data(), g.paddedLength, input.lowNote, input.highNote,
                   *input.bank, g.frameCount, g.binCount, lowestBinRow, transform);

  // Left untouched (and so not resident) until formant extraction writes it.
  result.m_formantMask.Reset(static_cast<std::size_t>(g.rowCount) * frames);
  result.m_frameEnergy.Reset(frames);
  SumFrameEnergy(lowestBinRow, transform.powerRowStride, g.binCount, g.frameCount,
                 result.m_frameEnergy.data());
  ConvertLevelsInPlace(result.m_levelDb.data(), g.binCount, g.frameCount, input.BinsPerSemitone(),
                       options.workerCount);
}

AnalysisJob::~AnalysisJob() {
  Abandon();
}

void AnalysisJob::Start(const AnalysisInput& input, Spectrogram& result, AnalysisStages stages) {
  JoinThread();
  m_cancel.store(false);
  m_failed.store(false);
  m_analysisState.store(AnalysisState::kTransform);
  g_analysisProgress.store(0);
  m_thread = std::thread(&AnalysisJob::Run, this, input, &result, std::move(stages));
}

void AnalysisJob::RunStages(const AnalysisInput& input, Spectrogram& result,
                            const AnalysisStages& stages) {
  ConstantQOptions options;
  options.progress = &g_analysisProgress;
  options.cancel = &m_cancel;
  AnalyseSignal(input, result, options);
  if (input.pitchEnabled && stages.detectPitch && !m_cancel.load()) {
    m_analysisState.store(AnalysisState::kPitch);
    g_analysisProgress.store(0);
    stages.detectPitch(result);
  }
  if (input.formantEnabled && stages.extractFormants && !m_cancel.load()) {
    m_analysisState.store(AnalysisState::kFormants);
    g_analysisProgress.store(0);
    stages.extractFormants(result);
  }
}

void AnalysisJob::Run(AnalysisInput input, Spectrogram* result, AnalysisStages stages) {
  const auto start = std::chrono::steady_clock::now();
  // The thread's boundary: memory running out here must not end the program.
  // The result is then incomplete, and the UI thread is told so.
  try {
    RunStages(input, *result, stages);
  } catch (const std::bad_alloc&) {
    m_failed.store(true);
  }
  m_analysisSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m_analysisState.store(AnalysisState::kFinished);
  m_analysisState.notify_all();
  // Wait for the UI thread to take the result over. Abandon() sets m_cancel
  // before it looks at the state (sequentially consistent), so either this
  // loop sees the cancel or Abandon() sees state 2 and moves it on.
  while (!m_cancel.load() && m_analysisState.load() == AnalysisState::kFinished) {
    m_analysisState.wait(AnalysisState::kFinished);
  }
}

bool AnalysisJob::TakeOver() {
  AnalysisState expected = AnalysisState::kFinished;
  if (!m_analysisState.compare_exchange_strong(expected, AnalysisState::kTakenOver)) return false;
  m_analysisState.notify_all();
  JoinThread();
  return true;
}

void AnalysisJob::Abandon() {
  if (!m_thread.joinable()) return;
  m_cancel.store(true);
  // A job already waiting in state 2 only wakes when the value changes.
  AnalysisState expected = AnalysisState::kFinished;
  m_analysisState.compare_exchange_strong(expected, AnalysisState::kIdle);
  m_analysisState.notify_all();
  JoinThread();
  m_analysisState.store(AnalysisState::kIdle);
}

void AnalysisJob::Reset() {
  Abandon();
  m_analysisState.store(AnalysisState::kIdle);
}

void AnalysisJob::JoinThread() {
  if (m_thread.joinable()) m_thread.join();
}

}  // namespace velmio

#pragma once
// The background analysis: PCM in, Spectrogram out, handed to the UI thread
// through the analysis state.
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "engine/ConstantQ.h"
#include "engine/KernelBank.h"
#include "engine/Spectrogram.h"

namespace velmio {

// The analysis state. The values are the ones the progress display and the
// busy rule of the commands compare with; the order of a run is 1 [4] [5] 2 3.
enum class AnalysisState : int {
  kIdle = 0,       // nothing to draw
  kTransform = 1,  // transform running; g_analysisProgress in percent
  kFinished = 2,   // result complete, waiting for the UI thread
  kTakenOver = 3,  // the UI thread owns the result and may draw it
  kPitch = 4,      // pitch detection running
  kFormants = 5,   // formant extraction running
};

// A job runs or a result waits: nothing may change the data it reads.
inline bool IsAnalysisBusy(AnalysisState state) {
  return state == AnalysisState::kTransform || state == AnalysisState::kFinished ||
         state == AnalysisState::kPitch || state == AnalysisState::kFormants;
}

// Percent done of the running stage; written by the workers, read by the
// progress display. One per process, since one analysis runs at a time.
extern std::atomic<int> g_analysisProgress;

// One run's input. The resolution, the hop and the tuning come from the
// bank, which was built for the recording's rate; the range picks its bins.
struct AnalysisInput {
  const int16_t* samples = nullptr;  // interleaved 16-bit PCM
  int32_t dataSize = 0;              // bytes
  int channels = 1;                  // 1 or 2
  int bitsPerSample = 16;
  int lowNote = 12;
  int highNote = 120;
  const KernelBank* bank = nullptr;  // built for this rate
  bool pitchEnabled = false;
  bool formantEnabled = false;

  int HopSize() const { return bank->m_params.hopSize; }
  int BinsPerSemitone() const { return bank->m_params.binsPerSemitone; }
};

// The stages that run after the transform when enabled; each runs on the
// job thread with the finished levels and the mono signal.
struct AnalysisStages {
  std::function<void(Spectrogram&)> detectPitch;
  std::function<void(Spectrogram&)> extractFormants;
};

// Mono mix-down: one channel as float; two as (L + R) / 2 in integers,
// truncated toward zero. Samples frames..padded-1 are 0.
void MixToMonoSignal(const int16_t* samples, int channels, int sampleFrames, float* mono);

// Geometry, mono mix-down and the result's frame and row counts: the steps
// before the transform. Any thread.
FrameGeometry PrepareMonoSignal(const AnalysisInput& input, Spectrogram& result);

// The synchronous analysis: mix-down, geometry, transform, frame energy and
// levels into `result` (its previous arrays are replaced). Any thread.
void AnalyseSignal(const AnalysisInput& input, Spectrogram& result,
                   const ConstantQOptions& options = {});

class AnalysisJob {
 public:
  AnalysisJob() = default;
  AnalysisJob(const AnalysisJob&) = delete;
  AnalysisJob& operator=(const AnalysisJob&) = delete;
  // Stops a running job early and waits for its thread.
  ~AnalysisJob();

  // UI thread, never while IsAnalysisBusy(state). Sets state 1 and analyses on
  // a thread of its own; the input buffers, the bank and `result` must stay
  // untouched until the state is 2. States then run 1 [4] [5] 2.
  void Start(const AnalysisInput& input, Spectrogram& result, AnalysisStages stages = {});

  // UI thread: takes a finished result over (2 -> 3) and lets the job thread
  // end. Returns false when the state was not 2.
  bool TakeOver();

  // UI thread: abandons a running job (the result is incomplete) and waits for
  // its thread; afterwards the state is 0.
  void Abandon();

  AnalysisState State() const { return m_analysisState.load(); }
  // The run ran out of memory: the result is incomplete and must not be
  // shown. Valid from state 2 on, until the next Start().
  bool Failed() const { return m_failed.load(); }
  // Seconds the job took; valid from state 2 on.
  double Seconds() const { return m_analysisSeconds; }

  // UI thread, while no job runs: forgets a taken-over result (a file is
  // being replaced), so nothing is drawn until the next take-over.
  void Reset();

 private:
  // Tests put the job into a state directly.
  friend struct AnalysisJobProbe;

  void Run(AnalysisInput input, Spectrogram* result, AnalysisStages stages);
  void RunStages(const AnalysisInput& input, Spectrogram& result, const AnalysisStages& stages);
  void JoinThread();

  std::atomic<AnalysisState> m_analysisState{AnalysisState::kIdle};
  double m_analysisSeconds = 0.0;
  std::thread m_thread;
  std::atomic<bool> m_cancel{false};
  std::atomic<bool> m_failed{false};
};

}  // namespace velmio

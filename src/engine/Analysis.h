#pragma once
// The analysis of the open recording: the kernel bank built for its rate,
// the background job, and the result the job hands over. The view owns one;
// the result is read (drawn, saved, estimated from) only while no job runs.
#include <cstdint>
#include <utility>

#include "engine/AnalysisJob.h"
#include "engine/AnalysisParams.h"
#include "engine/KernelBank.h"
#include "engine/PitchDetection.h"
#include "engine/Spectrogram.h"

namespace velmio {

// The PCM one run reads; it must stay untouched until the state is 2.
struct AnalysisSource {
  const int16_t* samples = nullptr;
  int32_t dataSize = 0;  // bytes
  int channels = 1;
  int bitsPerSample = 16;
};

class Analysis {
 public:
  // Builds the kernel bank for `params` at `sampleRate`; the next runs use
  // these parameters. UI thread, never while a job runs.
  void PrepareKernels(const AnalysisParams& params, int32_t sampleRate);

  // The range the next runs search for the pitch, semitones above C0 (both
  // inclusive). UI thread, never while busy.
  void SetPitchRange(int32_t lowNote, int32_t highNote) {
    m_pitchLowNote = lowNote;
    m_pitchHighNote = highNote;
  }

  // Starts a run on `source` (state 1). After the transform the pitch is
  // detected when `pitchEnabled` (state 4) and the formants are marked when
  // the parameters ask for it (state 5); `stages` replaces either step.
  // UI thread, never while busy.
  void Start(const AnalysisSource& source, bool pitchEnabled, AnalysisStages stages = {});
  // Takes a finished result over (2 -> 3). False when none is waiting. UI thread.
  bool TakeOver();
  // Stops a running job and waits for it; the result is incomplete. UI thread.
  void Abandon() { m_job.Abandon(); }
  // A recording is being replaced: stops any job and frees the result (it may
  // be large, and the next recording may need the memory); nothing is drawn
  // until the next take-over. UI thread.
  void Forget();

  AnalysisState State() const { return m_job.State(); }
  bool IsBusy() const { return IsAnalysisBusy(State()); }
  // The last run ran out of memory (see AnalysisJob::Failed).
  bool Failed() const { return m_job.Failed(); }
  double Seconds() const { return m_job.Seconds(); }

  // The parameters the bank and the current result were made with.
  const AnalysisParams& Params() const { return m_params; }
  const KernelParams& Kernels() const { return m_kernelBank.m_params; }
  // The result. Only while !IsBusy(): a job writes it while it runs.
  const Spectrogram& Result() const { return m_spectrogram; }
  // The detection of the last run with the pitch on, handed over once: the
  // single-voice state keeps it. Only while !IsBusy().
  PitchResult TakePitch() { return std::move(m_pitch); }

  // Frames of the result for the window events: 0 while a job writes it.
  int32_t ShownFrameCount() const { return IsBusy() ? 0 : m_spectrogram.m_frameCount; }
  // A result has been taken over and can be shown, saved and estimated from.
  bool HasResult() const {
    return State() == AnalysisState::kTakenOver && !m_spectrogram.m_levelDb.empty();
  }

 private:
  friend struct AnalysisJobProbe;

  void DetectPitchStage(Spectrogram& result);
  void ExtractFormantsStage(Spectrogram& result);

  AnalysisParams m_params;
  KernelBank m_kernelBank;
  Spectrogram m_spectrogram;
  int32_t m_pitchLowNote = 31;
  int32_t m_pitchHighNote = 64;
  PitchResult m_pitch;
  // Declared last: it goes first, so no job outlives the bank or the result.
  AnalysisJob m_job;
};

}  // namespace velmio

#include "engine/Analysis.h"

#include <utility>

#include "engine/FormantTracks.h"

namespace velmio {

void Analysis::PrepareKernels(const AnalysisParams& params, int32_t sampleRate) {
  m_params = params;
  BuildKernelBank(KernelParamsFor(params, sampleRate), m_kernelBank);
}

void Analysis::Start(const AnalysisSource& source, bool pitchEnabled, AnalysisStages stages) {
  AnalysisInput input;
  input.samples = source.samples;
  input.dataSize = source.dataSize;
  input.channels = source.channels;
  input.bitsPerSample = source.bitsPerSample;
  input.lowNote = m_params.lowNote;
  input.highNote = m_params.highNote;
  input.bank = &m_kernelBank;
  input.pitchEnabled = pitchEnabled;
  input.formantEnabled = m_params.formantEnabled;
  if (!stages.detectPitch) stages.detectPitch = [this](Spectrogram& r) { DetectPitchStage(r); };
  if (!stages.extractFormants) {
    stages.extractFormants = [this](Spectrogram& r) { ExtractFormantsStage(r); };
  }
  m_pitch = PitchResult{};
  m_job.Start(input, m_spectrogram, std::move(stages));
}

void Analysis::DetectPitchStage(Spectrogram& result) {
  PitchSettings settings;
  settings.sampleRate = m_kernelBank.m_params.sampleRate;
  settings.a4Frequency = m_kernelBank.m_params.a4Frequency;
  settings.hopSize = m_kernelBank.m_params.hopSize;
  settings.highNote = m_params.highNote;
  settings.pitchLowNote = m_pitchLowNote;
  settings.pitchHighNote = m_pitchHighNote;
  const std::span<const float> signal(result.m_monoSignal.data(),
                                      static_cast<std::size_t>(result.m_paddedLength));
  m_pitch = DetectPitch(signal, result.m_frameCount, settings);
}

void Analysis::ExtractFormantsStage(Spectrogram& result) {
  FormantSettings settings;
  settings.hopSize = m_kernelBank.m_params.hopSize;
  settings.lowNote = m_params.lowNote;
  settings.highNote = m_params.highNote;
  settings.a4Frequency = m_kernelBank.m_params.a4Frequency;
  settings.sensitivity = m_params.formantSensitivity;
  const std::span<const float> signal(result.m_monoSignal.data(),
                                      static_cast<std::size_t>(result.m_paddedLength));
  ExtractFormants(signal, result.m_frameCount, settings, result.m_formantMask.data());
}

void Analysis::Forget() {
  m_job.Reset();
  m_spectrogram = Spectrogram{};
  m_pitch = PitchResult{};
}

bool Analysis::TakeOver() {
  return m_job.TakeOver();
}

}  // namespace velmio

#include "engine/Analysis.h"

#include <utility>

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
  m_job.Start(input, m_spectrogram, std::move(stages));
}

void Analysis::Install(const AnalysisParams& params, Spectrogram result) {
  m_job.Reset();
  m_params = params;
  m_spectrogram = std::move(result);
}

void Analysis::InstallMonoSignal(const int16_t* mono, int32_t frames) {
  const int32_t padded = (frames + 31) / 32 * 32;
  m_spectrogram.m_monoSignal.Reset(static_cast<std::size_t>(padded));
  for (int32_t i = 0; i < frames; ++i) m_spectrogram.m_monoSignal[i] = mono[i];
  m_spectrogram.m_paddedLength = padded;
}

bool Analysis::TakeOver() {
  return m_job.TakeOver();
}

}  // namespace velmio

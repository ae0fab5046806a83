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

void Analysis::Forget() {
  m_job.Reset();
  m_spectrogram = Spectrogram{};
}

bool Analysis::TakeOver() {
  return m_job.TakeOver();
}

}  // namespace velmio

#include "audio/RecordingSession.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "engine/AnalysisParams.h"

namespace velmio {

RecordingSession::RecordingSession(ReportFn report)
    : m_report(std::move(report)), m_waveData(m_report) {}

bool RecordingSession::Load(const std::string& filePath, const std::string& readPath,
                            const std::function<void()>& onAccepted) {
  Close();
  m_filePath = filePath;
  if (m_waveData.m_wave.OpenRead(readPath) != 0) {
    m_waveData.m_wave.Close();  // a file refused after opening would stay open
    return false;
  }
  if (!LoadPcm(m_waveData, m_report, onAccepted)) return false;
  m_sampleRate = static_cast<int32_t>(m_waveData.m_wave.format.nSamplesPerSec);
  m_hopSize = HopSizeForRate(m_sampleRate);
  return true;
}

void RecordingSession::Close() {
  m_waveData.m_wave.Close();
  m_waveData.m_samples.Free();
  m_waveData.m_wave.dataSize = 0;
  // Nothing of a closed recording may be described any more.
  m_waveData.m_wave.format = WaveFormat{};
  m_waveData.m_sourceBits = 0;
  m_filePath.clear();
  m_vocalCutApplied = 0;
  m_vocalCutSeconds = 0.0;
}

void RecordingSession::RecordVocalCut(int32_t mode, double seconds) {
  m_vocalCutApplied = mode;
  m_vocalCutSeconds = seconds;
}

double RecordingSession::ApplyVocals(const VocalCutParams& params) {
  if (Channels() != 2 || !IsLoaded()) return 0.0;
  const auto start = std::chrono::steady_clock::now();
  const int64_t frames = std::min<int64_t>(DataSize() / 4, m_waveData.m_samples.size() / 2);
  ProcessVocals(m_waveData.m_samples.data(), frames, params);
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  RecordVocalCut(static_cast<int32_t>(params.mode), taken.count());
  return taken.count();
}

void RecordingSession::MixToMono() {
  MixPcmToMono(m_waveData);
}

int32_t RecordingSession::WholeFrames() const {
  const int32_t blockAlign = std::max<int32_t>(Format().nBlockAlign, 1);
  return DataSize() / blockAlign / std::max(m_hopSize, 1);
}

int32_t RecordingSession::DurationMs() const {
  const int64_t bytesPerSecond = Format().nAvgBytesPerSec;
  return bytesPerSecond > 0 ? static_cast<int32_t>(int64_t{DataSize()} * 1000 / bytesPerSecond) : 0;
}

PcmView RecordingSession::Pcm() const {
  return PcmView{m_waveData.m_samples.data(), m_waveData.m_samples.size(), DataSize(), Format()};
}

}  // namespace velmio

#include "audio/ConvertedWave.h"

#include "audio/WaveFile.h"

namespace velmio {

bool SaveConvertedWave(const std::string& path, std::span<const int16_t> samples,
                       int32_t sampleRate, const ReportFn& report) {
  CWaveFile wave(report);
  MakePcm16Format(wave.format, 1, sampleRate);
  if (wave.OpenWrite(path) != 0) return false;
  const int64_t bytes = static_cast<int64_t>(samples.size()) * 2;
  const bool written = wave.WriteData(samples.data(), bytes) == bytes;
  return wave.Close() == 0 && written;
}

}  // namespace velmio

#pragma once
// Saving the converted voice: a mono 16-bit PCM WAV file at the recording's
// rate, through CWaveFile, whose steps report their own failures.
#include <cstdint>
#include <span>
#include <string>

#include "audio/Report.h"

namespace velmio {

// Writes `samples` (mono 16-bit) to `path` at `sampleRate`. False after the
// writer has reported why.
bool SaveConvertedWave(const std::string& path, std::span<const int16_t> samples,
                       int32_t sampleRate, const ReportFn& report);

}  // namespace velmio

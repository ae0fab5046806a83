#pragma once
// The readers that take files from outside, as the fuzz targets and the
// corpus replay test drive them: each entry point takes any bytes, must not
// crash, hang or read out of bounds, and aborts when a property fails.
#include <cstddef>
#include <cstdint>

namespace velmio::fuzz {

// The bytes as a WAV file: RIFF reading, the format check and PCM loading
// (24-bit conversion, the stereo mix-down).
void ReadWav(const uint8_t* data, std::size_t size);

// The bytes as a settings file; when they are read, writing the settings and
// reading them back must give the same settings again.
void ReadSettingsRoundTrip(const uint8_t* data, std::size_t size);

// The bytes as an analysis data file.
void ReadAnalysisFile(const uint8_t* data, std::size_t size);

}  // namespace velmio::fuzz

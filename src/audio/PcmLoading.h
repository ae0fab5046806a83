#pragma once
// The loaded recording: the open WAV file's format and its samples as
// interleaved 16-bit PCM, whatever the file stored (16 or 24 bits).
#include <cstdint>
#include <functional>
#include <utility>

#include "audio/Report.h"
#include "audio/WaveFile.h"
#include "dsp/AlignedBuffer.h"

namespace velmio {

struct WaveData {
  explicit WaveData(ReportFn report = ReportToStderr) : m_wave(std::move(report)) {}

  // After LoadPcm its format and dataSize describe m_samples: 16 bits, 1 or 2
  // channels, nBlockAlign = channels × 2, dataSize a whole number of frames.
  CWaveFile m_wave;
  // At least dataSize bytes of interleaved samples (left, right, … for stereo).
  AlignedBuffer<int16_t> m_samples;
  // Bits per sample as stored in the file (16 or 24), for the status line.
  int32_t m_sourceBits = 0;
};

// Checks the format of the file opened with m_wave.OpenRead, reads its samples
// and converts 24-bit samples to 16 bits. On failure reports the reason,
// closes the file, empties m_samples and sets dataSize to 0. On success the
// file stays open. `onAccepted`, when given, runs once the format has been
// accepted and before the samples are read (the window names the file then).
// UI thread, while no analysis reads the data.
bool LoadPcm(WaveData& data, const ReportFn& report, const std::function<void()>& onAccepted = {});

// Mixes loaded stereo to mono in place, (left + right) / 2 truncated toward
// zero, and halves the format to match. Does nothing unless the data is
// 16-bit stereo. UI thread, while no analysis reads the data.
void MixPcmToMono(WaveData& data);

}  // namespace velmio

#pragma once
// The result of one analysis and the frame geometry it is laid out by.
#include <cstdint>

#include "dsp/AlignedBuffer.h"

namespace velmio {

// Display rows per semitone of the level matrix, whatever the bins per semitone.
constexpr int kRowsPerSemitone = 8;

// dB value of zero power; cells whose kernel window does not fit read this.
constexpr float kSilenceDb = -382.29f;

struct FrameGeometry {
  int32_t sampleFrames = 0;  // S
  int32_t paddedLength = 0;  // P: S rounded up to a multiple of 32
  int32_t frameCount = 0;    // F: P / hop rounded up to a multiple of 4
  int32_t binCount = 0;      // B = N * (high - low)
  int32_t rowCount = 0;      // R = 8 * (high - low)
};

// Geometry of a PCM buffer of dataSize bytes; hop > 0.
FrameGeometry ComputeFrameGeometry(int64_t dataSize, int bitsPerSample, int channels, int hop,
                                   int lowNote, int highNote, int binsPerSemitone);

struct Spectrogram {
  AlignedBuffer<float> m_monoSignal;  // P samples in 16-bit units, zero behind S
  int32_t m_paddedLength = 0;
  int32_t m_frameCount = 0;
  int32_t m_rowCount = 0;
  AlignedBuffer<float> m_levelDb;        // R x F, row 0 = highest pitch
  AlignedBuffer<float> m_frameEnergy;    // F
  AlignedBuffer<uint8_t> m_formantMask;  // R x F, written only by formant extraction

  float LevelAt(int row, int frame) const {
    return m_levelDb[static_cast<std::size_t>(row) * m_frameCount + frame];
  }
};

}  // namespace velmio

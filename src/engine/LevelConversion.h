#pragma once
// From linear power per bin to the display matrix in dB.
#include <bit>
#include <cstdint>

namespace velmio {

// 10*log10(p) by the cheap approximation the display was tuned with: the
// float's exponent plus the first term of the atanh series of its mantissa.
// Within 0.015 dB of the true value for normal p > 0; p = 0 gives -382.29.
inline float ApproxDecibel(float p) {
  constexpr float kSqrt2 = 1.41421356f;
  constexpr float kLn2 = 0.693147182f;
  constexpr float kLn10 = 2.30258512f;
  const uint32_t bits = std::bit_cast<uint32_t>(p);
  const int exponent = static_cast<int>(bits >> 23);
  const float mantissa = std::bit_cast<float>((bits & 0x007FFFFFu) | 0x3F800000u);
  const float s = (mantissa - kSqrt2) / (mantissa + kSqrt2);
  const float ln = (static_cast<float>(exponent - 127) + 0.5f) * kLn2 + 2.0f * s;
  const float r = 1.0f / kLn10;
  const float toDecibel = 10.0f * (2.0f * r - r * r * kLn10);
  return ln * toDecibel;
}

// Where bin k's display rows start in the R x F level matrix: row
// ((B-1-k)*8)/N, row 0 being the highest pitch.
inline float* BinRow(float* levelDb, int binCount, int frameCount, int binsPerSemitone, int k) {
  return levelDb + static_cast<int64_t>((binCount - 1 - k) * 8 / binsPerSemitone) * frameCount;
}

// energy[t] = sum over bins k (ascending, single precision) of the power of
// bin k at frame t, row k being at firstRow + k * rowStride.
void SumFrameEnergy(const float* firstRow, int64_t rowStride, int binCount, int frameCount,
                    float* energy);

// The level matrix holds each bin's linear power in the first of its 8/N
// display rows (see BinRow). Converts that row to dB in place and copies it to
// the bin's other rows. Any thread.
void ConvertLevelsInPlace(float* levelDb, int binCount, int frameCount, int binsPerSemitone,
                          int workerCount = 0);

}  // namespace velmio

#pragma once
// The constant-Q kernel bank: for each of 120*N pitch bins from the lowest
// sub-bin of C0 upward, one windowed complex exponential sampled at the input
// rate divided by the bin's decimation factor.
#include <cstdint>
#include <vector>

#include "dsp/AlignedBuffer.h"

namespace velmio {

constexpr int kBankOctaves = 10;

struct KernelInfo {
  int32_t length;      // complex taps, a multiple of 4, at least 4
  int32_t decimation;  // 1, 2, 4, 8, 16 or 32
};

struct KernelParams {
  int binsPerSemitone = 4;  // N: 1, 2, 4 or 8
  int windowMode = 1;       // 0 Hamming (constant Q), 1 trapezoid
  int a4Frequency = 440;
  int sampleRate = 44100;
  int hopSize = 256;
};

struct KernelBank {
  std::vector<KernelInfo> m_kernelInfo;
  AlignedBuffer<float> m_kernelTaps;  // interleaved (re, im) per tap, kernels back to back
  std::vector<int64_t> m_firstTap;  // tap index of each bin's first tap; one more entry at the end
  KernelParams m_params;

  int BinCount() const { return static_cast<int>(m_kernelInfo.size()); }
  int64_t TotalTaps() const { return m_firstTap.empty() ? 0 : m_firstTap.back(); }
  const float* TapsOf(int bin) const { return m_kernelTaps.data() + 2 * m_firstTap[bin]; }
};

// Replaces the bank with the kernels for these parameters. UI thread only, never
// while a transform reads the bank.
void BuildKernelBank(const KernelParams& params, KernelBank& bank);

// Centre frequency of bank bin `bin` in Hz, exactly as the bank computes it.
float BinFrequency(const KernelParams& params, int bin);

// Decimation factor for a bin frequency (fixed thresholds near C1..C5).
int DecimationForFrequency(float frequency);

}  // namespace velmio

#include "engine/KernelBank.h"

#include <algorithm>
#include <cmath>

namespace velmio {
namespace {

constexpr double kTwoPi = 6.283185307;  // the value the kernels were designed with
constexpr float kTrapezoidCycles = 23.8f;

// 2^x evaluated in double precision and rounded to single.
float Pow2(float x) {
  return static_cast<float>(std::pow(2.0, static_cast<double>(x)));
}

float QualityFactor(int binsPerSemitone) {
  return 1.0f / (Pow2(1.0f / static_cast<float>(12 * binsPerSemitone)) - 1.0f);
}

// Length in input samples before decimation.
int RawLength(const KernelParams& params, float frequency) {
  const float fs = static_cast<float>(params.sampleRate);
  int length = 0;
  if (params.windowMode == 0) {
    length =
        static_cast<int>(std::floor(QualityFactor(params.binsPerSemitone) * fs / frequency + 0.5));
  } else {
    length = static_cast<int>(24.0f * fs / frequency);
  }
  return std::max(length, params.hopSize);
}

// Length in decimated samples, rounded up unless the fraction is below 0.001.
int UnpaddedLength(int rawLength, int decimation) {
  const float ratio = static_cast<float>(rawLength) / static_cast<float>(decimation);
  return static_cast<int>(static_cast<double>(ratio) + 0.999);
}

void FillWindow(const KernelParams& params, float fd, int n, std::vector<float>& window) {
  window.assign(n, 0.0f);
  if (params.windowMode == 0) {
    for (int k = 0; k < n; ++k) {
      window[k] = static_cast<float>(0.54 - 0.46 * std::cos(kTwoPi * k / n));
    }
    return;
  }
  const float fs = static_cast<float>(params.sampleRate);
  const float span = fs * kTrapezoidCycles / fd;
  const float ramp = span * 0.25f;
  for (int k = 0; k < n; ++k) {
    const float fk = static_cast<float>(k);
    if (fk < ramp) {
      window[k] = fk / ramp;
    } else if (fk < 0.75f * span) {
      window[k] = 1.0f;
    } else if (fk < span) {
      window[k] = (span - fk) / ramp;
    }
  }
}

void WriteKernel(const KernelParams& params, float frequency, const KernelInfo& info, float* taps,
                 std::vector<float>& window) {
  const float fd = frequency * static_cast<float>(info.decimation);
  const int n = UnpaddedLength(RawLength(params, frequency), info.decimation);
  FillWindow(params, fd, n, window);
  float sum = 0.0f;
  for (int k = 0; k < n; ++k) sum += window[k];
  const float inverseSum = 1.0f / sum;
  const float scale = 1.0f / 32768.0f;
  const double phaseStep = -kTwoPi * static_cast<double>(fd);
  const double inverseRate = 1.0 / static_cast<double>(static_cast<float>(params.sampleRate));
  for (int k = 0; k < n; ++k) {
    const float amplitude = window[k] * inverseSum * scale;
    const float phase = static_cast<float>(k * phaseStep * inverseRate);
    taps[2 * k] = amplitude * std::cos(phase);
    taps[2 * k + 1] = amplitude * std::sin(phase);
  }
  // Taps n .. length-1 stay zero (the buffer is zero-filled).
}

}  // namespace

int DecimationForFrequency(float frequency) {
  const double f = frequency;
  if (f < 32.703) return 32;
  if (f < 65.406) return 16;
  if (f < 130.812) return 8;
  if (f < 261.624) return 4;
  if (f < 523.248) return 2;
  return 1;
}

float BinFrequency(const KernelParams& params, int bin) {
  const int n = params.binsPerSemitone;
  const float offset = 0.5f - Pow2(static_cast<float>(-n));
  const float base =
      Pow2((-57.0f - offset) * (1.0f / 12.0f)) * static_cast<float>(params.a4Frequency);
  return Pow2(static_cast<float>(bin) * (1.0f / static_cast<float>(12 * n))) * base;
}

void BuildKernelBank(const KernelParams& params, KernelBank& bank) {
  const int binCount = kBankOctaves * 12 * params.binsPerSemitone;
  bank.m_params = params;
  bank.m_kernelInfo.assign(binCount, KernelInfo{0, 1});
  bank.m_firstTap.assign(binCount + 1, 0);
  for (int i = 0; i < binCount; ++i) {
    const float frequency = BinFrequency(params, i);
    const int decimation = DecimationForFrequency(frequency);
    const int n = UnpaddedLength(RawLength(params, frequency), decimation);
    const int length = (n + 3) / 4 * 4;
    bank.m_kernelInfo[i] = KernelInfo{length, decimation};
    bank.m_firstTap[i + 1] = bank.m_firstTap[i] + length;
  }
  bank.m_kernelTaps.Reset(2 * static_cast<std::size_t>(bank.TotalTaps()));
  std::vector<float> window;
  for (int i = 0; i < binCount; ++i) {
    WriteKernel(params, BinFrequency(params, i), bank.m_kernelInfo[i],
                bank.m_kernelTaps.data() + 2 * bank.m_firstTap[i], window);
  }
}

}  // namespace velmio

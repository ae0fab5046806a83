#include "reference_constant_q.h"

#include <immintrin.h>

#include <cstring>
#include <thread>
#include <vector>

#include "engine/Decimator.h"
#include "engine/LevelConversion.h"

namespace velmio::reference {
namespace {

struct Context {
  int binsPerSemitone, hop, lowNote, highNote, frameCount, paddedLength;
  const KernelInfo* kernelInfo;
  const float* kernelTaps;
  float* output;
  const float* signalByDecimation[33];
  int64_t firstTap;
};

// re/im sums of even and odd taps in one vector, as the first version of the loop kept them.
float PowerAt(const float* x, const float* taps, int length) {
  __m128 sum = _mm_setzero_ps();
  for (int j = 0; j < length; j += 4) {
    const __m128 four = _mm_loadu_ps(x + j);
    const __m128 low = _mm_unpacklo_ps(four, four);   // x0 x0 x1 x1
    const __m128 high = _mm_unpackhi_ps(four, four);  // x2 x2 x3 x3
    sum = _mm_add_ps(sum, _mm_mul_ps(low, _mm_load_ps(taps + 2 * j)));
    sum = _mm_add_ps(sum, _mm_mul_ps(high, _mm_load_ps(taps + 2 * j + 4)));
  }
  alignas(16) float lanes[4];
  _mm_store_ps(lanes, sum);
  const float re = lanes[0] + lanes[2];
  const float im = lanes[1] + lanes[3];
  return re * re + im * im;
}

void Worker(const Context& c, int t0, int t1) {
  int64_t tap = c.firstTap;
  for (int i = c.lowNote * c.binsPerSemitone; i < c.highNote * c.binsPerSemitone; ++i) {
    const int k = i - c.lowNote * c.binsPerSemitone;
    const int length = c.kernelInfo[i].length;
    const int d = c.kernelInfo[i].decimation;
    const int64_t decimatedLength = c.paddedLength / d;
    for (int t = t0; t < t1; ++t) {
      const int64_t h = int64_t{t} * c.hop / d - length / 2;
      if (h + 1 >= 0 && h + length < decimatedLength) {
        c.output[static_cast<std::size_t>(k) * c.frameCount + t] =
            PowerAt(c.signalByDecimation[d] + h + 1, c.kernelTaps + 2 * tap, length);
      }
    }
    tap += length;
  }
}

}  // namespace

void ComputeConstantQ(const float* signal, int paddedLength, int lowNote, int highNote,
                      const KernelBank& bank, int frameCount, int binCount, float* power) {
  Context c{};
  c.binsPerSemitone = bank.m_params.binsPerSemitone;
  c.hop = bank.m_params.hopSize;
  c.lowNote = lowNote;
  c.highNote = highNote;
  c.frameCount = frameCount;
  c.paddedLength = paddedLength;
  c.kernelInfo = bank.m_kernelInfo.data();
  c.kernelTaps = bank.m_kernelTaps.data();
  c.output = power;
  std::memset(power, 0, sizeof(float) * binCount * static_cast<std::size_t>(frameCount));
  std::vector<std::vector<float>> copies;
  c.signalByDecimation[1] = signal;
  for (int d = 2; d <= 32; d *= 2) {
    copies.emplace_back(paddedLength / d + 16);
    DecimateByTwo(paddedLength / (d / 2), c.signalByDecimation[d / 2], copies.back().data());
    c.signalByDecimation[d] = copies.back().data();
  }
  c.firstTap = bank.m_firstTap[lowNote * c.binsPerSemitone];
  // Joined rather than polled every 100 ms, which only favours the reference.
  std::vector<std::thread> workers;
  for (int q = 0; q < 4; ++q) {
    workers.emplace_back(Worker, std::cref(c), frameCount * q / 4, frameCount * (q + 1) / 4);
  }
  for (std::thread& worker : workers) worker.join();
}

void AnalyseSignal(const AnalysisInput& input, Spectrogram& result) {
  const FrameGeometry g = PrepareMonoSignal(input, result);
  const std::size_t frames = static_cast<std::size_t>(g.frameCount);
  std::vector<float> power(static_cast<std::size_t>(g.binCount) * frames);
  reference::ComputeConstantQ(result.m_monoSignal.data(), g.paddedLength, input.lowNote,
                              input.highNote, *input.bank, g.frameCount, g.binCount, power.data());
  result.m_levelDb.Reset(static_cast<std::size_t>(g.rowCount) * frames);
  result.m_frameEnergy.Reset(frames);
  SumFrameEnergy(power.data(), g.frameCount, g.binCount, g.frameCount, result.m_frameEnergy.data());
  // Walk the power matrix from its first element to its last, writing each
  // level to the bin's 8/N display rows.
  const int rowsPerBin = 8 / input.BinsPerSemitone();
  for (int k = 0; k < g.binCount; ++k) {
    float* first =
        BinRow(result.m_levelDb.data(), g.binCount, g.frameCount, input.BinsPerSemitone(), k);
    for (std::size_t t = 0; t < frames; ++t) {
      const float level = ApproxDecibel(power[k * frames + t]);
      for (int copy = 0; copy < rowsPerBin; ++copy) first[copy * frames + t] = level;
    }
  }
}

}  // namespace velmio::reference

#include "engine/LevelConversion.h"

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace velmio {
namespace {

void ConvertBins(const float* power, int binBegin, int binEnd, int binCount, int frameCount,
                 int binsPerSemitone, float* levelDb) {
  const int rowsPerBin = 8 / binsPerSemitone;
  const std::size_t frames = static_cast<std::size_t>(frameCount);
  for (int k = binBegin; k < binEnd; ++k) {
    const float* in = power + k * frames;
    float* first = levelDb + static_cast<std::size_t>((binCount - 1 - k) * 8 / binsPerSemitone) * frames;
    for (std::size_t t = 0; t < frames; ++t) first[t] = ApproxDecibel(in[t]);
    for (int copy = 1; copy < rowsPerBin; ++copy) std::copy(first, first + frames, first + copy * frames);
  }
}

}  // namespace

void SumFrameEnergy(const float* power, int binCount, int frameCount, float* energy) {
  const std::size_t frames = static_cast<std::size_t>(frameCount);
  std::fill(energy, energy + frames, 0.0f);
  for (int k = 0; k < binCount; ++k) {
    const float* row = power + k * frames;
    for (std::size_t t = 0; t < frames; ++t) energy[t] += row[t];
  }
}

void ConvertPowerToLevels(const float* power, int binCount, int frameCount, int binsPerSemitone,
                          float* levelDb, int workerCount) {
  if (workerCount <= 0) workerCount = static_cast<int>(std::thread::hardware_concurrency());
  workerCount = std::clamp(workerCount, 1, std::max(binCount, 1));
  std::vector<std::thread> threads;
  for (int w = 1; w < workerCount; ++w) {
    threads.emplace_back(ConvertBins, power, binCount * w / workerCount,
                         binCount * (w + 1) / workerCount, binCount, frameCount, binsPerSemitone,
                         levelDb);
  }
  ConvertBins(power, 0, binCount / workerCount, binCount, frameCount, binsPerSemitone, levelDb);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace velmio

#include "engine/LevelConversion.h"

#include <algorithm>
#include <cstddef>
#include <thread>
#include <vector>

namespace velmio {
namespace {

void ConvertBins(float* levelDb, int binBegin, int binEnd, int binCount, int frameCount,
                 int binsPerSemitone) {
  const int rowsPerBin = 8 / binsPerSemitone;
  const std::size_t frames = static_cast<std::size_t>(frameCount);
  for (int k = binBegin; k < binEnd; ++k) {
    float* first = BinRow(levelDb, binCount, frameCount, binsPerSemitone, k);
    for (std::size_t t = 0; t < frames; ++t) first[t] = ApproxDecibel(first[t]);
    for (int copy = 1; copy < rowsPerBin; ++copy)
      std::copy(first, first + frames, first + copy * frames);
  }
}

}  // namespace

void SumFrameEnergy(const float* firstRow, int64_t rowStride, int binCount, int frameCount,
                    float* energy) {
  const std::size_t frames = static_cast<std::size_t>(frameCount);
  std::fill(energy, energy + frames, 0.0f);
  for (int k = 0; k < binCount; ++k) {
    const float* row = firstRow + k * rowStride;
    for (std::size_t t = 0; t < frames; ++t) energy[t] += row[t];
  }
}

void ConvertLevelsInPlace(float* levelDb, int binCount, int frameCount, int binsPerSemitone,
                          int workerCount) {
  if (workerCount <= 0) workerCount = static_cast<int>(std::thread::hardware_concurrency());
  workerCount = std::clamp(workerCount, 1, std::max(binCount, 1));
  std::vector<std::thread> threads;
  for (int w = 1; w < workerCount; ++w) {
    threads.emplace_back(ConvertBins, levelDb, binCount * w / workerCount,
                         binCount * (w + 1) / workerCount, binCount, frameCount, binsPerSemitone);
  }
  ConvertBins(levelDb, 0, binCount / workerCount, binCount, frameCount, binsPerSemitone);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace velmio

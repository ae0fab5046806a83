#include "engine/ConstantQ.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/ConstantQPlan.h"
#include "engine/ConstantQRow.h"
#include "engine/Decimator.h"

namespace velmio {
namespace {

constexpr int kDecimationStages = 5;  // copies at 1/2 ... 1/32 of the rate
constexpr int kTileFrames = 256;      // frames per work item: the d=1 signal of a tile stays in L2

using RowFunction = void (*)(const BinRun&);

RowFunction RowFunctionFor(SimdLevel level) {
#if defined(VELMIO_HAVE_AVX2_ROWS)
  if (level == SimdLevel::kAvx2Fma) return ComputeBinRunAvx2;
#endif
#if defined(__SSE4_1__)
  if (level >= SimdLevel::kSse4) return ComputeBinRunSse4;
#endif
  (void)level;
  return ComputeBinRunScalar;
}

// The decimated copies x2 ... x32 of the signal; index 0 is the input itself.
struct DecimatedSignals {
  const float* byStage[kDecimationStages + 1] = {};
  AlignedBuffer<float> copies[kDecimationStages];

  DecimatedSignals(const float* signal, int paddedLength) {
    byStage[0] = signal;
    for (int s = 0; s < kDecimationStages; ++s) {
      const int count = paddedLength >> s;
      copies[s].Reset(static_cast<std::size_t>(count / 2));
      if (count >= 2) DecimateByTwo(count, byStage[s], copies[s].data());
      byStage[s + 1] = copies[s].data();
    }
  }
  const float* ForShift(int shift) const { return byStage[shift]; }
};

struct TransformJob {
  const TransformPlan* plan;
  const DecimatedSignals* signals;
  int paddedLength;
  int hop;
  int frameCount;
  float* power;
  int64_t rowStride;
  RowFunction rowFunction;
  std::atomic<int> nextTile{0};
  std::atomic<int> tilesDone{0};
  int tileCount;
  const ConstantQOptions* options;

  // Every cell of the tile is written exactly once: a power, or 0 where the
  // window does not fit. That spares a separate pass that zeroes the matrix.
  void RunTile(int tile) const {
    const int first = tile * kTileFrames;
    const int last = std::min(first + kTileFrames, frameCount);
    for (std::size_t k = 0; k < plan->bins.size(); ++k) {
      const BinPlan& bin = plan->bins[k];
      float* row = power + static_cast<int64_t>(k) * rowStride;
      const int begin = std::clamp(bin.frameBegin, first, last);
      const int end = std::clamp(bin.frameEnd, begin, last);
      std::fill(row + first, row + begin, 0.0f);
      std::fill(row + end, row + last, 0.0f);
      if (begin == end) continue;
      const float* signal = signals->ForShift(bin.decimationShift);
      const bool aligned = reinterpret_cast<std::uintptr_t>(signal) % 32 == 0;
      rowFunction(MakeBinRun(*plan, bin, signal, paddedLength >> bin.decimationShift, aligned, hop,
                             begin, end, row));
    }
  }

  void Work() {
    for (;;) {
      if (options->cancel != nullptr && options->cancel->load(std::memory_order_relaxed)) return;
      const int tile = nextTile.fetch_add(1, std::memory_order_relaxed);
      if (tile >= tileCount) return;
      RunTile(tile);
      const int done = tilesDone.fetch_add(1, std::memory_order_relaxed) + 1;
      if (options->progress != nullptr) {
        options->progress->store(static_cast<int>(int64_t{done} * 100 / tileCount),
                                 std::memory_order_relaxed);
      }
    }
  }
};

int WorkerCount(const ConstantQOptions& options, int tileCount) {
  int workers = options.workerCount;
  if (workers <= 0) workers = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(workers, 1, std::max(tileCount, 1));
}

}  // namespace

void ComputeConstantQ(const float* signal, int paddedLength, int lowNote, int highNote,
                      const KernelBank& bank, int frameCount, int binCount, float* power,
                      const ConstantQOptions& options) {
  if (options.progress != nullptr) options.progress->store(0);
  const int binsPerSemitone = bank.m_params.binsPerSemitone;
  binCount = std::min(binCount, binsPerSemitone * (highNote - lowNote));
  TransformPlan plan;
  PlanBins(bank, lowNote * binsPerSemitone, binCount, paddedLength, frameCount, plan);
  const DecimatedSignals signals(signal, paddedLength);

  TransformJob job;
  job.plan = &plan;
  job.signals = &signals;
  job.paddedLength = paddedLength;
  job.hop = bank.m_params.hopSize;
  job.frameCount = frameCount;
  job.power = power;
  job.rowStride = options.powerRowStride != 0 ? options.powerRowStride : frameCount;
  job.rowFunction = RowFunctionFor(options.simd);
  job.tileCount = (frameCount + kTileFrames - 1) / kTileFrames;
  job.options = &options;

  const int workers = WorkerCount(options, job.tileCount);
  std::vector<std::thread> threads;
  for (int w = 1; w < workers; ++w) threads.emplace_back([&job] { job.Work(); });
  job.Work();
  for (std::thread& thread : threads) thread.join();
  if (options.progress != nullptr) options.progress->store(100);
}

}  // namespace velmio

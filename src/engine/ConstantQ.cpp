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
// Built by one thread while the others already analyse the undecimated bins;
// `ready` publishes them.
struct DecimatedSignals {
  const float* byStage[kDecimationStages + 1] = {};
  AlignedBuffer<float> copies[kDecimationStages];
  std::atomic<bool> ready{false};

  DecimatedSignals(const float* signal, int paddedLength) {
    byStage[0] = signal;
    for (int s = 0; s < kDecimationStages; ++s) {
      copies[s].Reset(static_cast<std::size_t>((paddedLength >> s) / 2));
      byStage[s + 1] = copies[s].data();
    }
  }
  void Build(int paddedLength) {
    for (int s = 0; s < kDecimationStages; ++s) {
      const int count = paddedLength >> s;
      if (count >= 2) DecimateByTwo(count, byStage[s], copies[s].data());
    }
    ready.store(true);
    ready.notify_all();
  }
  void WaitUntilReady() const {
    while (!ready.load()) ready.wait(false);
  }
  const float* ForShift(int shift) const { return byStage[shift]; }
};

// Work items: every tile of frames twice, first for the bins analysed at the
// full rate, then for the decimated bins, so that the full-rate work can go
// on while the decimated copies are being built.
struct TransformJob {
  const TransformPlan* plan;
  DecimatedSignals* signals;
  int paddedLength;
  int hop;
  int frameCount;
  float* power;
  int64_t rowStride;
  RowFunction rowFunction;
  int firstFullRateBin;  // bins below it are decimated (the plan is in rising pitch)
  int tileCount;
  std::atomic<int> nextItem{0};
  std::atomic<int> itemsDone{0};
  const ConstantQOptions* options;

  // Every cell of the item is written exactly once: a power, or 0 where the
  // window does not fit. That spares a separate pass that zeroes the matrix.
  void RunItem(int item) const {
    const bool fullRate = item < tileCount;
    const int tile = fullRate ? item : item - tileCount;
    const int first = tile * kTileFrames;
    const int last = std::min(first + kTileFrames, frameCount);
    const int kBegin = fullRate ? firstFullRateBin : 0;
    const int kEnd = fullRate ? static_cast<int>(plan->bins.size()) : firstFullRateBin;
    if (!fullRate) signals->WaitUntilReady();
    for (int k = kBegin; k < kEnd; ++k) {
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
    const int itemCount = 2 * tileCount;
    for (;;) {
      if (options->cancel != nullptr && options->cancel->load(std::memory_order_relaxed)) return;
      const int item = nextItem.fetch_add(1, std::memory_order_relaxed);
      if (item >= itemCount) return;
      RunItem(item);
      const int done = itemsDone.fetch_add(1, std::memory_order_relaxed) + 1;
      if (options->progress != nullptr) {
        options->progress->store(static_cast<int>(int64_t{done} * 100 / itemCount),
                                 std::memory_order_relaxed);
      }
    }
  }
};

int FirstFullRateBin(const TransformPlan& plan) {
  int k = 0;
  while (k < static_cast<int>(plan.bins.size()) && plan.bins[k].decimationShift > 0) ++k;
  return k;
}

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
  DecimatedSignals signals(signal, paddedLength);

  TransformJob job;
  job.plan = &plan;
  job.signals = &signals;
  job.paddedLength = paddedLength;
  job.hop = bank.m_params.hopSize;
  job.frameCount = frameCount;
  job.power = power;
  job.rowStride = options.powerRowStride != 0 ? options.powerRowStride : frameCount;
  job.rowFunction = RowFunctionFor(options.simd);
  job.firstFullRateBin = FirstFullRateBin(plan);
  job.tileCount = (frameCount + kTileFrames - 1) / kTileFrames;
  job.options = &options;

  const int workers = WorkerCount(options, 2 * job.tileCount);
  std::vector<std::thread> threads;
  for (int w = 1; w < workers; ++w) threads.emplace_back([&job] { job.Work(); });
  signals.Build(paddedLength);
  job.Work();
  for (std::thread& thread : threads) thread.join();
  if (options.progress != nullptr) options.progress->store(100);
}

}  // namespace velmio

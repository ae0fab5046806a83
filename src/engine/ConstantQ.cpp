#include "engine/ConstantQ.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <thread>
#include <vector>

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

// One analysed bin, ready for the workers.
struct BinPlan {
  int decimation;
  int length;
  std::size_t planarOffset;  // kernel real parts, then imaginary parts
  int frameBegin;            // frames whose window fits the signal
  int frameEnd;
};

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
  const float* For(int decimation) const { return byStage[std::countr_zero(unsigned(decimation))]; }
};

bool WindowFits(int64_t frame, int hop, int decimation, int length, int64_t decimatedLength) {
  const int64_t first = WindowStart(frame, hop, decimation, length);
  return first >= 0 && first + length - 1 < decimatedLength;
}

// The frames whose window lies inside the signal form one run, since the
// window start never decreases with the frame. The run's ends come from the
// division rules directly; the loops only confirm them against the exact test.
void FindFittingFrames(BinPlan& plan, int hop, int paddedLength, int frameCount) {
  const int64_t decimatedLength = paddedLength / plan.decimation;
  const int64_t d = plan.decimation;
  const int64_t half = plan.length / 2;
  int64_t begin = std::clamp<int64_t>(((half - 1) * d + hop - 1) / hop, 0, frameCount);
  while (begin > 0 && WindowStart(begin - 1, hop, plan.decimation, plan.length) >= 0) --begin;
  while (begin < frameCount && WindowStart(begin, hop, plan.decimation, plan.length) < 0) ++begin;
  const int64_t lastStart = decimatedLength - 1 - half;  // largest allowed t*hop/d
  int64_t end = lastStart < 0 ? 0 : ((lastStart + 1) * d - 1) / hop + 1;
  end = std::clamp<int64_t>(end, begin, frameCount);
  while (end > begin && !WindowFits(end - 1, hop, plan.decimation, plan.length, decimatedLength)) --end;
  while (end < frameCount && WindowFits(end, hop, plan.decimation, plan.length, decimatedLength)) ++end;
  plan.frameBegin = static_cast<int>(begin);
  plan.frameEnd = static_cast<int>(end);
}

// Splits each analysed kernel into 32-byte aligned real and imaginary rows.
std::vector<BinPlan> PlanBins(const KernelBank& bank, int firstBin, int binCount, int paddedLength,
                              int frameCount, AlignedBuffer<float>& planar) {
  std::vector<BinPlan> plans(binCount);
  std::size_t offset = 0;
  for (int k = 0; k < binCount; ++k) {
    const KernelInfo& info = bank.m_kernelInfo[firstBin + k];
    plans[k] = BinPlan{info.decimation, info.length, offset, 0, 0};
    offset += 2 * static_cast<std::size_t>((info.length + 7) & ~7);
  }
  planar.Reset(offset);
  const int hop = bank.m_params.hopSize;
  for (int k = 0; k < binCount; ++k) {
    BinPlan& plan = plans[k];
    const float* taps = bank.TapsOf(firstBin + k);
    float* re = planar.data() + plan.planarOffset;
    float* im = re + ((plan.length + 7) & ~7);
    for (int j = 0; j < plan.length; ++j) {
      re[j] = taps[2 * j];
      im[j] = taps[2 * j + 1];
    }
    FindFittingFrames(plan, hop, paddedLength, frameCount);
  }
  return plans;
}

struct TransformJob {
  const std::vector<BinPlan>* plans;
  const AlignedBuffer<float>* planar;
  const DecimatedSignals* signals;
  int hop;
  int frameCount;
  float* power;
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
    for (std::size_t k = 0; k < plans->size(); ++k) {
      const BinPlan& plan = (*plans)[k];
      float* row = power + k * static_cast<std::size_t>(frameCount);
      const int begin = std::clamp(plan.frameBegin, first, last);
      const int end = std::clamp(plan.frameEnd, begin, last);
      std::fill(row + first, row + begin, 0.0f);
      std::fill(row + end, row + last, 0.0f);
      if (begin == end) continue;
      const float* re = planar->data() + plan.planarOffset;
      rowFunction(BinRun{re, re + ((plan.length + 7) & ~7), plan.length, signals->For(plan.decimation), hop,
                  plan.decimation, begin, end, row});
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
  AlignedBuffer<float> planar;
  const std::vector<BinPlan> plans =
      PlanBins(bank, lowNote * binsPerSemitone, binCount, paddedLength, frameCount, planar);
  const DecimatedSignals signals(signal, paddedLength);

  TransformJob job;
  job.plans = &plans;
  job.planar = &planar;
  job.signals = &signals;
  job.hop = bank.m_params.hopSize;
  job.frameCount = frameCount;
  job.power = power;
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

#include "engine/ConstantQPlan.h"

#include <algorithm>
#include <bit>

namespace velmio {
namespace {

std::size_t PaddedToEight(int n) {
  return static_cast<std::size_t>((n + 7) & ~7);
}

bool WindowFits(int64_t frame, int hop, int shift, int length, int64_t decimatedLength) {
  const int64_t first = WindowStart(frame, hop, shift, length);
  return first >= 0 && first + length - 1 < decimatedLength;
}

// The frames whose window lies inside the signal form one run, since the
// window start never decreases with the frame. The run's ends come from the
// division rules directly; the loops only confirm them against the exact test.
void FindFittingFrames(BinPlan& bin, int hop, int paddedLength, int frameCount) {
  const int shift = bin.decimationShift;
  const int64_t d = int64_t{1} << shift;
  const int64_t decimatedLength = paddedLength >> shift;
  const int64_t half = bin.length / 2;
  int64_t begin = std::clamp<int64_t>(((half - 1) * d + hop - 1) / hop, 0, frameCount);
  while (begin > 0 && WindowStart(begin - 1, hop, shift, bin.length) >= 0) --begin;
  while (begin < frameCount && WindowStart(begin, hop, shift, bin.length) < 0) ++begin;
  const int64_t lastStart = decimatedLength - 1 - half;  // largest allowed t*hop/d
  int64_t end = lastStart < 0 ? 0 : ((lastStart + 1) * d - 1) / hop + 1;
  end = std::clamp<int64_t>(end, begin, frameCount);
  while (end > begin && !WindowFits(end - 1, hop, shift, bin.length, decimatedLength)) --end;
  while (end < frameCount && WindowFits(end, hop, shift, bin.length, decimatedLength)) ++end;
  bin.frameBegin = static_cast<int>(begin);
  bin.frameEnd = static_cast<int>(end);
}

// Windows share one offset modulo 8 when the hop is a whole number of 8-sample
// steps of the decimated signal; then `lead` zeros in front of the kernel put
// every window's reads on 32-byte boundaries.
void ChooseAlignment(BinPlan& bin, int hop, std::size_t& offset) {
  bin.alignedOffset = kNoAlignedKernel;
  if (hop % (8 << bin.decimationShift) != 0) return;
  const int64_t start = WindowStart(0, hop, bin.decimationShift, bin.length);
  bin.lead = static_cast<int>(((start % 8) + 8) % 8);
  bin.alignedLength = static_cast<int>(PaddedToEight(bin.length + bin.lead));
  bin.alignedOffset = offset;
  offset += 2 * static_cast<std::size_t>(bin.alignedLength);
}

void WriteRows(const float* taps, int length, int lead, std::size_t rowLength, float* re) {
  float* im = re + rowLength;
  for (int j = 0; j < length; ++j) {
    re[lead + j] = taps[2 * j];
    im[lead + j] = taps[2 * j + 1];
  }
}

}  // namespace

void PlanBins(const KernelBank& bank, int firstBin, int binCount, int paddedLength, int frameCount,
              TransformPlan& plan) {
  const int hop = bank.m_params.hopSize;
  plan.bins.assign(binCount, BinPlan{});
  std::size_t offset = 0;
  for (int k = 0; k < binCount; ++k) {
    const KernelInfo& info = bank.m_kernelInfo[firstBin + k];
    BinPlan& bin = plan.bins[k];
    bin.decimationShift = std::countr_zero(static_cast<unsigned>(info.decimation));
    bin.length = info.length;
    bin.planarOffset = offset;
    offset += 2 * PaddedToEight(info.length);
    ChooseAlignment(bin, hop, offset);
    FindFittingFrames(bin, hop, paddedLength, frameCount);
  }
  plan.kernels.Reset(offset);  // zero-filled: the padding and the leads stay 0
  for (int k = 0; k < binCount; ++k) {
    const BinPlan& bin = plan.bins[k];
    const float* taps = bank.TapsOf(firstBin + k);
    WriteRows(taps, bin.length, 0, PaddedToEight(bin.length),
              plan.kernels.data() + bin.planarOffset);
    if (bin.alignedOffset != kNoAlignedKernel) {
      WriteRows(taps, bin.length, bin.lead, static_cast<std::size_t>(bin.alignedLength),
                plan.kernels.data() + bin.alignedOffset);
    }
  }
}

BinRun MakeBinRun(const TransformPlan& plan, const BinPlan& bin, const float* signal,
                  int64_t signalLength, bool signalAligned, int hop, int begin, int end,
                  float* power) {
  const float* re = plan.kernels.data() + bin.planarOffset;
  BinRun run{};
  run.kernelRe = re;
  run.kernelIm = re + PaddedToEight(bin.length);
  run.length = bin.length;
  if (signalAligned && bin.alignedOffset != kNoAlignedKernel) {
    run.alignedRe = plan.kernels.data() + bin.alignedOffset;
    run.alignedIm = run.alignedRe + bin.alignedLength;
    run.alignedLength = bin.alignedLength;
    run.lead = bin.lead;
  }
  run.signal = signal;
  run.signalLength = signalLength;
  run.hop = hop;
  run.decimationShift = bin.decimationShift;
  run.frameBegin = begin;
  run.frameEnd = end;
  run.power = power;
  return run;
}

}  // namespace velmio

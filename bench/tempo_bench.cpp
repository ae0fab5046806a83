// Tempo estimation for a 10-minute recording analysed over C1-C10 (103359
// frames, 864 rows): the shipped estimator against the same steps with the
// start time searched as written down (frame by frame, every row of a
// column), and the ratio of their times.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "RatioReporter.h"
#include "dsp/AlignedBuffer.h"
#include "engine/TempoEstimator.h"

namespace {

using namespace velmio;

constexpr int kFrames = 103359;
constexpr int kRows = 864;
constexpr int kQuietFrames = 172;  // the music starts after a second

struct Analysed {
  AlignedBuffer<float> energy{kFrames};
  AlignedBuffer<float> levels{std::size_t(kFrames) * kRows};
};

// A drum every half second with its decay, and levels that stay below what
// the picture shows during the first second.
const Analysed& Recording() {
  static const Analysed* a = [] {
    auto* r = new Analysed;
    for (int k = 0; k < kFrames; ++k) {
      const int sinceBeat = (k - kQuietFrames) % 86;
      r->energy[k] = k < kQuietFrames ? 0.0f : 1.0f + 50.0f * std::exp(-0.3f * sinceBeat);
    }
    for (int row = 0; row < kRows; ++row) {
      float* line = r->levels.data() + std::size_t(row) * kFrames;
      for (int k = 0; k < kQuietFrames; ++k) line[k] = -100.0f;
      for (int k = kQuietFrames; k < kFrames; k += 64) line[k] = -30.0f - row % 40;
    }
    return r;
  }();
  return *a;
}

TempoInput InputOf(const Analysed& a) {
  TempoInput in;
  in.frameEnergy = a.energy.span();
  in.levelDb = a.levels.span();
  in.frameCount = kFrames;
  in.rows = kRows;
  in.levelTopDb = 24;
  in.levelRangeDb = 20;
  return in;
}

// The start as written down: frame by frame, every row of a column.
int32_t ColumnWiseStart(const TempoInput& in) {
  const float range = float(in.levelRangeDb), top = float(in.levelTopDb);
  for (int k = 0; k < in.frameCount; ++k) {
    for (int r = 0; r < in.rows; ++r) {
      const float v = in.levelDb[std::size_t(r) * in.frameCount + k];
      if (static_cast<int>((range + v + top) * (255.0f / range)) >= 1)
        return static_cast<int32_t>(float(k * 1000) * 0.0058049886f + 0.5f);
    }
  }
  return 0;
}

void BM_ColumnWiseStart(benchmark::State& state) {
  const TempoInput in = InputOf(Recording());
  for (auto _ : state) {
    // The estimate without its own start search, plus the start as written down.
    TempoInput beatOnly = in;
    beatOnly.rows = 0;
    TempoProposal p = EstimateTempo(beatOnly);
    p.startMs = ColumnWiseStart(in);
    benchmark::DoNotOptimize(p);
  }
}

void BM_ShippedEstimate(benchmark::State& state) {
  const TempoInput in = InputOf(Recording());
  for (auto _ : state) {
    TempoProposal p = EstimateTempo(in);
    benchmark::DoNotOptimize(p);
  }
}

BENCHMARK(BM_ColumnWiseStart)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_ShippedEstimate)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Recording();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double plain = reporter.TimeOf("BM_ColumnWiseStart");
  const double shipped = reporter.TimeOf("BM_ShippedEstimate");
  const TempoProposal p = EstimateTempo(InputOf(Recording()));
  std::printf("\n10 minutes: %d frames x %d rows; proposal %d bpm, index %d, start %d ms\n",
              kFrames, kRows, p.tempo, p.beatsPerBarIndex, p.startMs);
  if (plain > 0 && shipped > 0) {
    std::printf("column-wise start %.2f ms, shipped %.2f ms: %.2fx (target < 50 ms)\n", plain,
                shipped, plain / shipped);
  }
  benchmark::Shutdown();
  return 0;
}

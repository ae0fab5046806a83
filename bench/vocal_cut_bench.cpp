// Vocal cut of 180 s of stereo at 44.1 kHz: the shipped process (one shared
// transform per frame for both channels, four workers) against a plain
// single-threaded version with the same FFT (a transform per channel each
// way, as the process is written down), and the ratio of their times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "RatioReporter.h"
#include "audio/VocalCut.h"
#include "dsp/AlignedBuffer.h"
#include "dsp/FftPlans.h"

namespace {

using namespace velmio;

constexpr int kRate = 44100;
constexpr int kSeconds = 180;

const std::vector<int16_t>& Recording() {
  static const std::vector<int16_t> pcm = [] {
    const int64_t frames = int64_t{kRate} * kSeconds;
    std::vector<int16_t> p(2 * frames);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0.0, 300.0);
    for (int64_t i = 0; i < frames; ++i) {
      const double t = double(i) / kRate;
      const double voice = 6000 * std::sin(2 * M_PI * (330 + 40 * std::sin(3 * t)) * t);
      const double left = 5000 * std::sin(2 * M_PI * 523.25 * t);
      const double right = 4000 * std::sin(2 * M_PI * 1318.5 * t);
      p[2 * i] = static_cast<int16_t>(voice + left + noise(random));
      p[2 * i + 1] = static_cast<int16_t>(voice + right + noise(random));
    }
    return p;
  }();
  return pcm;
}

// The process as written down, one thread: each channel transformed on its
// own, forward scaled by 1/2048, the same mask, the same overlap-add.
void PlainVocalCut(int16_t* pcm, int64_t frames) {
  const int n = kVocalFrame;
  const ComplexFftPlan& forward = ComplexFftPlan::Get(n, FftDirection::kForward);
  const ComplexFftPlan& inverse = ComplexFftPlan::Get(n, FftDirection::kInverse);
  const std::array<float, kVocalFrame>& w = VocalCutWindow();
  std::vector<int32_t> wq(n);
  std::vector<float> ws(n), gain(n, 1.0f);
  for (int i = 0; i < n; ++i) {
    wq[i] = static_cast<int16_t>(w[i] * 32767.0f);
    ws[i] = w[i] * 1.5259254723787308e-05f;
  }
  const int32_t low = VocalBandLowBin(VocalBandLowHz(19, 440));
  AlignedBuffer<float> out(2 * static_cast<std::size_t>(frames));
  AlignedBuffer<float> a(2 * n), b(2 * n);
  for (int64_t s = 0; s < frames - n; s += kVocalHop) {
    for (int i = 0; i < n; ++i) {
      a[2 * i] = static_cast<float>(pcm[2 * (s + i)] * wq[i]);
      b[2 * i] = static_cast<float>(pcm[2 * (s + i) + 1] * wq[i]);
      a[2 * i + 1] = b[2 * i + 1] = 0.0f;
    }
    forward.Execute(a.data());
    forward.Execute(b.data());
    for (int i = 0; i < 2 * n; ++i) a[i] *= 1.0f / n, b[i] *= 1.0f / n;
    for (int k = low; k <= kVocalHighBin; ++k) {
      const auto ar = static_cast<float>(double(a[2 * k]) + 0.001);
      const auto br = static_cast<float>(double(b[2 * k]) + 0.001);
      float m = (a[2 * k + 1] * a[2 * k + 1] + ar * ar) / (b[2 * k + 1] * b[2 * k + 1] + br * br);
      m = std::clamp(std::min(m, 1.0f / m), 0.16f, 0.36f);
      gain[k] = gain[n - k] = 1.0f - (m - 0.16f) * 5.0f;
    }
    for (int i = 0; i < 2 * n; ++i) a[i] *= gain[i / 2], b[i] *= gain[i / 2];
    inverse.Execute(a.data());
    inverse.Execute(b.data());
    for (int i = 0; i < n; ++i) {
      out[2 * (s + i)] += a[2 * i] * ws[i];
      out[2 * (s + i) + 1] += b[2 * i] * ws[i];
    }
  }
  for (int64_t i = 0; i < 2 * frames; ++i)
    pcm[i] = static_cast<int16_t>(std::clamp(std::nearbyint(out[i]), -32768.0f, 32767.0f));
}

void BM_PlainVocalCut(benchmark::State& state) {
  std::vector<int16_t> pcm;
  for (auto _ : state) {
    state.PauseTiming();
    pcm = Recording();
    state.ResumeTiming();
    PlainVocalCut(pcm.data(), static_cast<int64_t>(pcm.size() / 2));
    benchmark::DoNotOptimize(pcm.data());
  }
}

void BM_ShippedVocalCut(benchmark::State& state) {
  std::vector<int16_t> pcm;
  for (auto _ : state) {
    state.PauseTiming();
    pcm = Recording();
    state.ResumeTiming();
    ProcessVocals(pcm.data(), static_cast<int64_t>(pcm.size() / 2), VocalCutParams{});
    benchmark::DoNotOptimize(pcm.data());
  }
}

// One worker: what the shared transform alone gains.
void BM_ShippedVocalCutOneWorker(benchmark::State& state) {
  std::vector<int16_t> pcm;
  VocalCutParams params;
  params.workers = 1;
  for (auto _ : state) {
    state.PauseTiming();
    pcm = Recording();
    state.ResumeTiming();
    ProcessVocals(pcm.data(), static_cast<int64_t>(pcm.size() / 2), params);
    benchmark::DoNotOptimize(pcm.data());
  }
}

BENCHMARK(BM_PlainVocalCut)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_ShippedVocalCut)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(5);
BENCHMARK(BM_ShippedVocalCutOneWorker)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Recording();
  ComplexFftPlan::Get(kVocalFrame, FftDirection::kForward);
  ComplexFftPlan::Get(kVocalFrame, FftDirection::kInverse);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double plain = reporter.TimeOf("BM_PlainVocalCut");
  const double shipped = reporter.TimeOf("BM_ShippedVocalCut");
  const double single = reporter.TimeOf("BM_ShippedVocalCutOneWorker");
  std::printf("\n%d s of stereo at %d Hz, cut, G3; %u hardware threads\n", kSeconds, kRate,
              std::thread::hardware_concurrency());
  if (plain > 0 && shipped > 0) {
    std::printf("plain single-threaded %.0f ms, shipped %.0f ms: %.2fx (target < 300 ms)\n", plain,
                shipped, plain / shipped);
  }
  if (plain > 0 && single > 0) {
    std::printf("shipped with one worker %.0f ms: %.2fx from the shared transform alone\n", single,
                plain / single);
  }
  benchmark::Shutdown();
  return 0;
}

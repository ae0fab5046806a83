// Analyses 180 seconds of stereo 44.1 kHz music at the default settings
// (4 bins per semitone, trapezoid window, C1-C10) with the reference layout and
// with the shipped analysis, and prints the ratio of their times.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "RatioReporter.h"
#include "dsp/CpuFeatures.h"
#include "engine/AnalysisJob.h"
#include "reference_constant_q.h"

namespace {

using namespace velmio;

constexpr int kRate = 44100;
constexpr int kSeconds = 180;

// A chord change every two seconds, a melody note every quarter second, and
// a little noise: broadband enough that no bin is trivially empty.
std::vector<int16_t> MakeSong(int seconds) {
  const int frames = kRate * seconds;
  std::vector<int16_t> pcm(2 * static_cast<std::size_t>(frames));
  std::mt19937 random(7);
  std::normal_distribution<float> noise(0.0f, 60.0f);
  const int chordRoots[] = {48, 53, 55, 50};
  const int melody[] = {72, 74, 76, 79, 81, 79, 76, 74};
  for (int i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const int root = chordRoots[(i / (2 * kRate)) % 4];
    double value = 0.0;
    for (int interval : {0, 4, 7}) {
      const double f = 440.0 * std::pow(2.0, (root + interval - 57) / 12.0);
      value += 2500.0 * std::sin(2 * M_PI * f * t);
    }
    const int note = melody[(i / (kRate / 4)) % 8];
    const double f = 440.0 * std::pow(2.0, (note - 57) / 12.0);
    const double phaseInNote = static_cast<double>(i % (kRate / 4)) / kRate;
    value += 6000.0 * std::exp(-6.0 * phaseInNote) * std::sin(2 * M_PI * f * t);
    const float n = noise(random);
    pcm[2 * i] = static_cast<int16_t>(value + n);
    pcm[2 * i + 1] = static_cast<int16_t>(0.8 * value - n);
  }
  return pcm;
}

struct Fixture {
  std::vector<int16_t> pcm = MakeSong(kSeconds);
  KernelBank bank;
  AnalysisInput input;
  Fixture() {
    BuildKernelBank(KernelParams{}, bank);
    input.samples = pcm.data();
    input.dataSize = static_cast<int32_t>(pcm.size() * sizeof(int16_t));
    input.channels = 2;
    input.bank = &bank;
  }
};

Fixture& SharedFixture() {
  static Fixture fixture;
  return fixture;
}

void BM_ReferenceAnalysis(benchmark::State& state) {
  Fixture& f = SharedFixture();
  for (auto _ : state) {
    Spectrogram result;
    reference::AnalyseSignal(f.input, result);
    benchmark::DoNotOptimize(result.m_levelDb.data());
  }
}

void BM_ShippedAnalysis(benchmark::State& state) {
  Fixture& f = SharedFixture();
  for (auto _ : state) {
    Spectrogram result;
    AnalyseSignal(f.input, result);
    benchmark::DoNotOptimize(result.m_levelDb.data());
  }
}

}  // namespace

BENCHMARK(BM_ReferenceAnalysis)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_ShippedAnalysis)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SharedFixture();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.TimeOf("BM_ReferenceAnalysis") / 1e3;  // ms to s
  const double shipped = reporter.TimeOf("BM_ShippedAnalysis") / 1e3;
  std::printf("\n%d s stereo at %d Hz, defaults, %u hardware threads, %s rows\n", kSeconds, kRate,
              std::thread::hardware_concurrency(), SimdLevelName(DetectSimdLevel()));
  if (reference > 0 && shipped > 0) {
    std::printf("reference %.3f s, shipped %.3f s, speed-up %.2fx\n", reference, shipped,
                reference / shipped);
  }
  benchmark::Shutdown();
  return 0;
}

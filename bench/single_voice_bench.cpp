// Pitch detection and formant extraction of three minutes of a sung-like
// voice: the shipped paths against the plain single-threaded scalar loops of
// the same algorithms, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <thread>
#include <vector>

#include "RatioReporter.h"
#include "dsp/AlignedBuffer.h"
#include "engine/AnalysisParams.h"
#include "engine/FormantTracks.h"
#include "engine/PitchDetection.h"
#include "support/SyntheticVoice.h"

namespace velmio {
namespace {

constexpr int kSeconds = 180;
constexpr int kRate = 44100;

struct Voice {
  std::vector<float> signal = synthetic::SungGlide(kRate, kSeconds, 110.0, 600.0, 12000.0);
  int frames = static_cast<int>((signal.size() / 256 + 3) / 4 * 4);
  std::vector<uint8_t> mask = std::vector<uint8_t>(static_cast<std::size_t>(8 * 108) * frames);
};

const Voice& SharedVoice() {
  static const Voice voice;
  return voice;
}

void Detect(benchmark::State& state, SimdLevel simd) {
  const Voice& v = SharedVoice();
  PitchSettings settings;
  settings.simd = simd;
  for (auto _ : state) {
    const PitchResult result = DetectPitch(v.signal, v.frames, settings);
    benchmark::DoNotOptimize(result.m_pitchMarks.data());
  }
}

void Formants(benchmark::State& state, SimdLevel simd, int workers) {
  Voice& v = const_cast<Voice&>(SharedVoice());
  FormantSettings settings;
  settings.sensitivity = 2;
  settings.simd = simd;
  settings.workerCount = workers;
  for (auto _ : state) {
    ExtractFormants(v.signal, v.frames, settings, v.mask.data());
    benchmark::DoNotOptimize(v.mask.data());
  }
}

void BM_PitchScalar(benchmark::State& state) { Detect(state, SimdLevel::kScalar); }
void BM_PitchShipped(benchmark::State& state) { Detect(state, DetectSimdLevel()); }
void BM_FormantsScalar(benchmark::State& state) { Formants(state, SimdLevel::kScalar, 1); }
void BM_FormantsShipped(benchmark::State& state) { Formants(state, DetectSimdLevel(), 4); }

}  // namespace

BENCHMARK(BM_PitchScalar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_PitchShipped)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_FormantsScalar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_FormantsShipped)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace velmio

int main(int argc, char** argv) {
  using velmio::RatioReporter;
  benchmark::Initialize(&argc, argv);
  velmio::SharedVoice();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%d s mono at %d Hz, %u hardware threads, %s\n", velmio::kSeconds, velmio::kRate,
              std::thread::hardware_concurrency(),
              velmio::SimdLevelName(velmio::DetectSimdLevel()));
  const auto ratio = [&](const char* what, const char* plain, const char* shipped) {
    const double p = reporter.TimeOf(plain) / 1e3, s = reporter.TimeOf(shipped) / 1e3;
    if (p > 0 && s > 0)
      std::printf("%s: scalar %.3f s, shipped %.3f s, speed-up %.2fx\n", what, p, s, p / s);
  };
  ratio("pitch detection (G2-E5)", "BM_PitchScalar", "BM_PitchShipped");
  ratio("formant extraction (sensitivity 2)", "BM_FormantsScalar", "BM_FormantsShipped");
  benchmark::Shutdown();
  return 0;
}

// CPU time of the stretcher per second of stereo 44.1 kHz music, at half
// speed (the most used setting), at full speed transposed down two
// semitones, and at double speed, against the time that second takes to
// play: the real-time margin of playback through the stretcher. Playback
// runs the stretcher on one thread, so CPU time is what counts; the wall
// clock of a loaded machine is not.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "audio/PlaybackEngine.h"
#include "audio/Stretcher.h"

namespace {

using namespace velmio;

constexpr int kRate = 44100;
constexpr int kBlock = kStretchBlockFrames;

// A chord and a moving melody: a sound with partials everywhere, like music.
const std::vector<int16_t>& OneSecond() {
  static const std::vector<int16_t> samples = [] {
    std::vector<int16_t> s(2 * kRate);
    for (int i = 0; i < kRate; ++i) {
      const double t = static_cast<double>(i) / kRate;
      const double chord = std::sin(2 * std::numbers::pi * 130.81 * t) +
                           std::sin(2 * std::numbers::pi * 164.81 * t) +
                           std::sin(2 * std::numbers::pi * 196.0 * t);
      const double melody = std::sin(2 * std::numbers::pi * (440.0 + 300.0 * t) * t);
      s[2 * i] = static_cast<int16_t>(3000 * chord + 6000 * melody);
      s[2 * i + 1] = static_cast<int16_t>(3000 * chord - 4000 * melody);
    }
    return s;
  }();
  return samples;
}

class SecondInput final : public StretchInput {
 public:
  int32_t Read(int16_t* out, int32_t maxFrames) override {
    const int32_t n = std::min(maxFrames, kRate - m_next);
    std::copy_n(OneSecond().begin() + 2 * m_next, 2 * n, out);
    m_next += n;
    return n;
  }

 private:
  int32_t m_next = 0;
};

void StretchOneSecond(benchmark::State& state, StretchSettings settings) {
  Stretcher stretcher(2, kRate);
  std::vector<int16_t> block(2 * kBlock);
  for (auto _ : state) {
    stretcher.Start(settings);
    SecondInput input;
    while (stretcher.Render(block.data(), kBlock, input) == kBlock) {
    }
    benchmark::DoNotOptimize(block.data());
  }
}

void BM_HalfSpeed(benchmark::State& state) {
  StretchOneSecond(state, {50, 0, 0});
}
void BM_TransposedDownTwo(benchmark::State& state) {
  StretchOneSecond(state, {100, -2, 0});
}
void BM_DoubleSpeed(benchmark::State& state) {
  StretchOneSecond(state, {200, 0, 0});
}

BENCHMARK(BM_HalfSpeed)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_TransposedDownTwo)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DoubleSpeed)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Console output as usual, plus each benchmark's CPU time per iteration.
class CpuTimeReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration)
        m_cpuMs[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
  }
  double CpuMsOf(const std::string& name) const {
    const auto found = m_cpuMs.find(name);
    return found == m_cpuMs.end() ? 0.0 : found->second;
  }

 private:
  std::map<std::string, double> m_cpuMs;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CpuTimeReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n1 s of stereo 44.1 kHz music through the stretcher (R3, real-time mode)\n");
  const struct {
    const char* name;
    const char* label;
    double playedSeconds;
  } rows[] = {{"BM_HalfSpeed", "50 %", 2.0},
              {"BM_TransposedDownTwo", "100 %, -2 semitones", 1.0},
              {"BM_DoubleSpeed", "200 %", 0.5}};
  for (const auto& row : rows) {
    const double ms = reporter.CpuMsOf(row.name);
    if (ms <= 0.0) continue;
    std::printf("%-20s %7.1f ms CPU for %.1f s of sound: real-time margin %.1fx\n", row.label, ms,
                row.playedSeconds, row.playedSeconds * 1000.0 / ms);
  }
  benchmark::Shutdown();
  return 0;
}

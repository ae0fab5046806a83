// One rendering of the voice conversion over 180 s of a sung-like voice at
// 44.1 kHz, at +12 semitones pitch and +6 formant (the M→W setting), with the
// shipped converter and with a plain single-threaded scalar version of the
// same algorithm (the window from sinf per sample, a fresh zeroed
// accumulator of dataSize entries), and the ratio of their times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "RatioReporter.h"
#include "audio/VoiceConversion.h"

namespace {

using namespace velmio;

constexpr int kRate = 44100;
constexpr int kSeconds = 180;

struct Voice {
  std::vector<float> signal;
  std::vector<int32_t> marks{0};
};

// A fundamental wandering 150 ... 300 Hz with vibrato and eight harmonics;
// a mark at every completed period.
const Voice& SharedVoice() {
  static const Voice voice = [] {
    Voice v;
    const int n = kRate * kSeconds;
    v.signal.resize(static_cast<std::size_t>(n));
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / kRate;
      const double hz = 220.0 + 70.0 * std::sin(0.37 * t) + 4.0 * std::sin(2 * M_PI * 5.5 * t);
      double value = 0.0;
      const double base = 2 * M_PI * phase;
      for (int h = 1; h <= 8; ++h) value += std::sin(h * base) / h;
      v.signal[static_cast<std::size_t>(i)] = static_cast<float>(std::round(7000.0 * value));
      const double next = phase + hz / kRate;
      if (std::floor(next) > std::floor(phase)) v.marks.push_back(i + 1);
      phase = next;
    }
    return v;
  }();
  return voice;
}

const ConversionRatios kRatios{PitchRatioOfPosition(24), FormantRatioOfPosition(12)};

// The algorithm as it reads, one sample at a time.
void ReferenceRender(const Voice& v, float pr, float fr, std::vector<int16_t>& out) {
  const int32_t n = static_cast<int32_t>(v.signal.size());
  std::vector<float> acc(2 * static_cast<std::size_t>(n) + 1, 0.0f);
  const int32_t M = static_cast<int32_t>(v.marks.size()) - 1;
  const float inc = 1.0f / pr;
  const float q = pr / fr;
  double pos = 0.0;
  int64_t g = 0;
  int32_t h = 0, k = 0;
  do {
    pos += inc;
    k = static_cast<int32_t>(std::ceil(pos));
    if (k >= M) break;
    const int32_t period = v.marks[k + 1] - v.marks[k];
    h = static_cast<int32_t>(std::floor(static_cast<float>(period) / q));
    for (int32_t i = 0; i <= 2 * h; ++i) {
      const float w = std::sin(static_cast<float>(i) * 3.1415927f * (1.0f / (2 * h)));
      const int32_t s = v.marks[k] + i;
      if (s < n && g + i < 2 * int64_t{n}) acc[g + i] += w * w * v.signal[s];
    }
    g += h;
  } while (k < M - 2);
  const int64_t lola = g - h + 1;
  const int64_t lout = v.marks[std::min(k, M)] - v.marks[0] + 1;
  acc[lola] = acc[lola - 1];
  for (int64_t i = 0; i < std::min<int64_t>(lout, n); ++i) {
    const double o = static_cast<double>(i) * lola * (1.0 / lout);
    const int64_t j = static_cast<int64_t>(std::floor(o));
    const double t = o - j;
    double y;
    if (j > 0 && j < lola - 1) {
      const float tf = static_cast<float>(t), b = 1.0f - tf;
      const float d = (tf * tf - 1.0f) * tf * (1.0f / 6.0f);
      const float e = (b * b - 1.0f) * b * (1.0f / 6.0f);
      y = (b + 0.2f * (12 * d - 18 * e)) * acc[j] + 0.2f * (8 * e - 2 * d) * acc[j - 1] +
          (tf + 0.2f * (12 * e - 18 * d)) * acc[j + 1] + 0.2f * (8 * d - 2 * e) * acc[j + 2];
    } else {
      y = (1.0 - t) * acc[j] + t * acc[j + 1];
    }
    out[i] = static_cast<int16_t>(std::clamp(std::trunc(y), -32767.0, 32767.0));
  }
}

void BM_ReferenceConversion(benchmark::State& state) {
  const Voice& v = SharedVoice();
  std::vector<int16_t> out(v.signal.size());
  for (auto _ : state) {
    ReferenceRender(v, kRatios.pitch, kRatios.formant, out);
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_ShippedConversion(benchmark::State& state) {
  const Voice& v = SharedVoice();
  std::vector<int16_t> out(v.signal.size());
  ConversionWork work;
  work.Reserve(2 * v.signal.size());
  const ConversionInput input{v.signal, v.marks, static_cast<int32_t>(v.signal.size())};
  for (auto _ : state) {
    RenderConversion(input, kRatios, work, out);
    benchmark::DoNotOptimize(out.data());
  }
}

BENCHMARK(BM_ReferenceConversion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_ShippedConversion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  SharedVoice();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double reference = reporter.TimeOf("BM_ReferenceConversion");
  const double shipped = reporter.TimeOf("BM_ShippedConversion");
  std::printf("\n%d s at %d Hz, %zu marks, pitch +12 formant +6\n", kSeconds, kRate,
              SharedVoice().marks.size() - 1);
  if (reference > 0 && shipped > 0) {
    std::printf(
        "one rendering: reference %.1f ms, shipped %.1f ms, speed-up %.2fx (target < 150 ms)\n",
        reference, shipped, reference / shipped);
  }
  benchmark::Shutdown();
  return 0;
}

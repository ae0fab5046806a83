#include "engine/FormantTracks.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "dsp/FftPlans.h"
#include "engine/FormantAutocorrelation.h"
#include "engine/Spectrogram.h"

namespace velmio {

constexpr int32_t kEnvelopeFftSize = 2 * kEnvelopeBins;
// What a bin of zero magnitude gives instead of a division by zero.
constexpr float kEnvelopeOfZero = 2139095040.0f;
constexpr int32_t kSmallPeakLimit = 4;

void InvertMagnitudesScalar(const float* spectrum, int32_t n, float zero, float* e) {
  for (int32_t i = 0; i < n; ++i) {
    const float re = spectrum[2 * i];
    const float im = spectrum[2 * i + 1];
    const float magnitude = std::sqrt(re * re + im * im);
    e[i] = magnitude == 0.0f ? zero : 1.0f / magnitude;
  }
}

float LargestOrZeroScalar(const float* x, int32_t n) {
  float peak = 0.0f;
  for (int32_t j = 0; j < n; ++j) peak = std::max(peak, x[j]);
  return peak;
}

void AutocorrelateScalar(const double* x, int32_t n, double* r) {
  for (int32_t k = 0; k < kAutocorrelationLags; ++k) {
    double sum = 0.0;
    for (int32_t j = 0; j + k < n; ++j) sum += x[j] * x[j + k];
    r[k] = sum;
  }
}

namespace {

// Everything one worker reuses from frame to frame.
struct FormantScratch {
  AlignedBuffer<double> window{kFormantWindow + kAutocorrelationLags + 4};
  AlignedBuffer<float> sequence{kEnvelopeFftSize};
  AlignedBuffer<float> spectrum{kEnvelopeFftSize + 2};
  AlignedBuffer<float> envelope{kEnvelopeBins};
  AlignedBuffer<uint8_t> flags{kEnvelopeBins};
  float coefficients[kFormantOrder + 1] = {};
};

void CorrelateWindow(const double* window, double* r, SimdLevel simd) {
#if defined(VELMIO_HAVE_AVX2_ROWS)
  if (simd == SimdLevel::kAvx2Fma) {
    AutocorrelateAvx2(window, kFormantWindow, r);
    return;
  }
#endif
  (void)simd;
  AutocorrelateScalar(window, kFormantWindow, r);
}

bool PredictFrame(const float* x, FormantScratch& scratch, SimdLevel simd) {
  double* window = scratch.window.data();
  for (int32_t j = 0; j < kFormantWindow; ++j) window[j] = x[j];
  double r[kAutocorrelationLags];
  CorrelateWindow(window, r, simd);
  double a[kFormantOrder + 1];
  if (!LevinsonDurbin(r, a)) return false;
  for (int32_t i = 0; i <= kFormantOrder; ++i) scratch.coefficients[i] = static_cast<float>(a[i]);
  return true;
}

float LargestSample(const float* x, SimdLevel simd) {
#if defined(VELMIO_HAVE_AVX2_ROWS)
  if (simd == SimdLevel::kAvx2Fma) return LargestOrZeroAvx2(x, kFormantWindow);
#endif
  (void)simd;
  return LargestOrZeroScalar(x, kFormantWindow);
}

struct FrameRange {
  int32_t first;
  int32_t end;
};

void MarkFrames(std::span<const float> signal, int32_t frameCount, const FormantSettings& s,
                FrameRange range, uint8_t* mask) {
  FormantScratch scratch;
  const FormantSensitivity sensitivity = SensitivityFor(s.sensitivity);
  const int32_t rows = kRowsPerSemitone * (s.highNote - s.lowNote);
  const auto padded = static_cast<int64_t>(signal.size());
  for (int32_t t = range.first; t < range.end; ++t) {
    const int64_t offset = int64_t{t} * s.hopSize;
    if (offset + kFormantWindow >= padded) break;
    const float* x = signal.data() + offset;
    if (LargestSample(x, s.simd) <= sensitivity.gate) continue;
    // A recursion that breaks down has no envelope worth marking.
    if (!PredictFrame(x, scratch, s.simd)) continue;
    PredictionEnvelope(scratch.coefficients, scratch.sequence.data(), scratch.spectrum.data(),
                       scratch.envelope.data(), s.simd);
    PickEnvelopePeaks(scratch.envelope.data(), kEnvelopeBins, kPeakSearchSize,
                      scratch.flags.data());
    // Marks past the last column have nowhere to go.
    const int32_t column = t + kFormantColumnLead;
    int32_t count = 0;
    for (int32_t i = 1; i < kEnvelopeBins; ++i) {
      if (scratch.flags[i] == 0) continue;
      const int32_t row = FormantRow(i, s.highNote, s.a4Frequency);
      if (row > 0 && row < rows - 1 && column < frameCount) {
        for (int32_t r = row - 1; r <= row + 1; ++r)
          mask[static_cast<std::size_t>(r) * frameCount + column] = 1;
      }
      if (sensitivity.peakLimit > 0 && ++count >= sensitivity.peakLimit) break;
    }
  }
}

}  // namespace

bool LevinsonDurbin(const double* r, double* a) {
  double error = r[0];
  a[0] = 1.0;
  for (int32_t i = 1; i <= kFormantOrder; ++i) a[i] = 0.0;
  if (!(error > 0.0)) return false;
  double previous[kFormantOrder + 1];
  for (int32_t i = 1; i <= kFormantOrder; ++i) {
    double acc = r[i];
    for (int32_t j = 1; j < i; ++j) acc += a[j] * r[i - j];
    const double k = -acc / error;
    std::copy(a, a + i, previous);
    for (int32_t j = 1; j < i; ++j) a[j] = previous[j] + k * previous[i - j];
    a[i] = k;
    error *= 1.0 - k * k;
    if (!(error > 0.0)) return false;
  }
  return true;
}

FormantSensitivity SensitivityFor(int32_t sensitivity) {
  if (sensitivity == 0) return {3276.8f, kSmallPeakLimit};
  if (sensitivity == 1) return {3276.8f, 0};
  return {327.68f, 0};
}

void Autocorrelation(const float* x, double* r, SimdLevel simd) {
  AlignedBuffer<double> window(kFormantWindow + kAutocorrelationLags + 4);
  for (int32_t j = 0; j < kFormantWindow; ++j) window[j] = x[j];
  double all[kAutocorrelationLags];
  CorrelateWindow(window.data(), all, simd);
  std::copy(all, all + kFormantOrder + 1, r);
}

bool PredictionCoefficients(const float* x, float* a, SimdLevel simd) {
  double r[kFormantOrder + 1];
  Autocorrelation(x, r, simd);
  double coefficients[kFormantOrder + 1];
  if (!LevinsonDurbin(r, coefficients)) return false;
  for (int32_t i = 0; i <= kFormantOrder; ++i) a[i] = static_cast<float>(coefficients[i]);
  return true;
}

void PredictionEnvelope(const float* a, float* sequence, float* spectrum, float* e,
                        SimdLevel simd) {
  sequence[0] = 0.0f;
  std::copy(a, a + kFormantOrder + 1, sequence + 1);
  RealFftPlan::Get(kEnvelopeFftSize).Execute(sequence, spectrum);
#if defined(VELMIO_HAVE_AVX2_ROWS)
  if (simd == SimdLevel::kAvx2Fma) {
    InvertMagnitudesAvx2(spectrum, kEnvelopeBins, kEnvelopeOfZero, e);
    return;
  }
#endif
  (void)simd;
  InvertMagnitudesScalar(spectrum, kEnvelopeBins, kEnvelopeOfZero, e);
}

void PickEnvelopePeaks(const float* e, int32_t n, int32_t m, uint8_t* flags) {
  std::memset(flags, 0, static_cast<std::size_t>(std::max(n, 0)));
  if (n < 2) return;
  const auto differs = [](float a, float b) {
    return std::fabs(a - b) > 1e-6f * std::max(a, b);
  };
  int32_t fallFromZero = 0;
  while (fallFromZero + 1 < n && e[fallFromZero + 1] < e[fallFromZero]) ++fallFromZero;
  if (fallFromZero >= m) flags[0] = 1;

  int32_t j = 1;
  while (j < n) {
    if (e[j] < e[j - 1]) {  // still falling: no rising run starts here
      ++j;
      continue;
    }
    int32_t rise = differs(e[j], e[j - 1]) ? 1 : 0;
    while (j + 1 < n && e[j + 1] > e[j]) {
      ++rise;
      ++j;
    }
    if (j == n - 1) {
      if (rise >= std::min(n - 1, m)) flags[j] = 1;
      break;
    }
    if (!differs(e[j], e[j + 1])) {  // a flat top is no peak
      ++j;
      continue;
    }
    int32_t fall = 1;
    int32_t k = j + 1;
    while (k + 1 < n && e[k + 1] < e[k]) {
      ++fall;
      ++k;
    }
    if (rise >= std::min(j, m) && fall >= std::min(n - 1 - j, m)) flags[j] = 1;
    j = k + 1;
  }
}

int32_t FormantRow(int32_t bin, int32_t highNote, int32_t a4Frequency) {
  const float k12 = 12.0f / static_cast<float>(std::log(2.0));
  const float hz = static_cast<float>(bin) * 0.00048828125f * 22050.0f;
  const float note = k12 * std::log(hz / static_cast<float>(a4Frequency)) + 57.5f;
  return kRowsPerSemitone * highNote - static_cast<int32_t>(8.0f * note);
}

void ExtractFormants(std::span<const float> signal, int32_t frameCount,
                     const FormantSettings& settings, uint8_t* mask) {
  const int32_t rows = kRowsPerSemitone * (settings.highNote - settings.lowNote);
  if (frameCount <= 0 || rows <= 0) return;
  std::memset(mask, 0, static_cast<std::size_t>(rows) * frameCount);
  // The plan is made here, before any worker can ask for it.
  RealFftPlan::Get(kEnvelopeFftSize);
  // Disjoint frame ranges write disjoint columns, so the workers need no lock.
  const int32_t workers = std::clamp(settings.workerCount, 1, 16);
  std::vector<std::thread> threads;
  for (int32_t w = 1; w < workers; ++w) {
    const FrameRange range{static_cast<int32_t>(int64_t{frameCount} * w / workers),
                           static_cast<int32_t>(int64_t{frameCount} * (w + 1) / workers)};
    threads.emplace_back(MarkFrames, signal, frameCount, std::cref(settings), range, mask);
  }
  MarkFrames(signal, frameCount, settings, FrameRange{0, frameCount / workers}, mask);
  for (std::thread& thread : threads) thread.join();
}

}  // namespace velmio

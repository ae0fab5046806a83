// Grain placement, overlap-add and the spline resampling of the voice
// conversion. The arithmetic follows one fixed order (single precision for
// the window, the grain length and the spline, double for the positions),
// so that every build renders the same samples.
#include "audio/VoiceConversion.h"

#include "audio/ConversionResample.h"

#include <nmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmio {

float PitchRatioOfPosition(int32_t position) {
  const float exponent = static_cast<float>(position) * (1.0f / 24.0f);
  return static_cast<float>(std::pow(2.0, static_cast<double>(exponent)));
}

float FormantRatioOfPosition(int32_t position) {
  const float semitones = static_cast<float>(position) * 0.5f;
  const float exponent = semitones * (1.0f / 12.0f);
  return static_cast<float>(std::pow(2.0, static_cast<double>(exponent)));
}

void ConversionWork::Reserve(std::size_t accumulatorLength) {
  if (m_capacity == accumulatorLength && !m_accumulator.empty()) return;
  // One entry more than the capacity: the resampling reads acc[Lola].
  m_accumulator.Reset(accumulatorLength + 1);
  m_capacity = accumulatorLength;
  m_dirty = 0;
}

// The rendering's access to the work buffers.
struct ConversionWorkAccess {
  static constexpr float kPi = 3.1415927f;
  static constexpr int kCancelCheckGrains = 256;

  // w² for i = 0 ... 2h, w = sin(i × π × (1 / (2h))).
  static const float* Window(ConversionWork& work, int32_t h) {
    const int slot = h % ConversionWork::kWindowSlots;
    std::vector<float>& window = work.m_windows[slot];
    if (work.m_windowLength[slot] != h) {
      const int32_t count = 2 * h + 1;
      window.resize(static_cast<std::size_t>(count));
      const float step = 1.0f / static_cast<float>(2 * h);
      for (int32_t i = 0; i < count; ++i) {
        const float w = std::sin(static_cast<float>(i) * kPi * step);
        window[static_cast<std::size_t>(i)] = w * w;
      }
      work.m_windowLength[slot] = h;
    }
    return window.data();
  }

  // acc[g + i] += w²[i] × x[s + i] for i < count.
  static void AddGrain(float* acc, const float* window, const float* x, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
      const __m128 product = _mm_mul_ps(_mm_loadu_ps(window + i), _mm_loadu_ps(x + i));
      _mm_storeu_ps(acc + i, _mm_add_ps(_mm_loadu_ps(acc + i), product));
    }
    for (; i < count; ++i) acc[i] += window[i] * x[i];
  }

  struct Layout {
    int64_t g = 0;          // output position after the last grain placed
    int32_t h = 0;          // length of the last grain placed
    int32_t k = 0;          // the last mark index the loop computed
    int64_t written = 0;    // accumulator entries [0, written) were added to
    bool placed = false;
    bool cancelled = false;
  };

  static Layout PlaceGrains(const ConversionInput& input, ConversionRatios ratios,
                            ConversionWork& work, const std::atomic<bool>* cancel) {
    Layout layout;
    const std::span<const int32_t> m = input.marks;
    const int32_t markCount = static_cast<int32_t>(m.size()) - 1;
    if (markCount - 2 <= 0) return layout;
    const int64_t sourceLength =
        std::min<int64_t>(input.sourceLength, static_cast<int64_t>(input.signal.size()));
    const int64_t capacity = static_cast<int64_t>(work.m_capacity);
    float* acc = work.m_accumulator.data();
    const float inc = 1.0f / ratios.pitch;
    const float q = ratios.pitch / ratios.formant;
    double pos = 0.0;
    int32_t k = 0;
    int grains = 0;
    do {
      pos += static_cast<double>(inc);
      k = static_cast<int32_t>(std::ceil(pos));
      if (k >= markCount) break;
      if (cancel != nullptr && ++grains % kCancelCheckGrains == 0 && cancel->load()) {
        layout.cancelled = true;
        return layout;
      }
      const int32_t period = m[static_cast<std::size_t>(k) + 1] - m[static_cast<std::size_t>(k)];
      const int32_t h = static_cast<int32_t>(std::floor(static_cast<float>(period) / q));
      if (h <= 0) continue;  // no window spans a grain of no length
      const int64_t start = m[static_cast<std::size_t>(k)];
      int64_t count = 2 * int64_t{h} + 1;
      count = std::min(count, sourceLength - start);  // source samples past the end add nothing
      count = std::min(count, capacity - layout.g);   // nor does anything past the accumulator
      if (count > 0 && start >= 0) {
        AddGrain(acc + layout.g, Window(work, h), input.signal.data() + start,
                 static_cast<int32_t>(count));
        layout.written = std::max(layout.written, layout.g + count);
      }
      layout.g += h;
      layout.h = h;
      layout.placed = true;
    } while (k < markCount - 2);
    layout.k = k;
    return layout;
  }

  // Truncated toward zero and kept to ±32767.
  static int16_t ToSample(double y) {
    if (y >= 32767.0) return 32767;
    if (y <= -32767.0) return -32767;
    return static_cast<int16_t>(y);
  }

  // floor(i × lola / lout), formed as every resampling path forms it.
  static int64_t SourceIndex(int64_t i, int64_t lola, int64_t lout) {
    const double o = static_cast<double>(i) * static_cast<double>(lola) *
                     (1.0 / static_cast<double>(lout));
    return static_cast<int64_t>(std::floor(o));
  }

  // One output sample: the spline inside, a straight line at the two ends.
  static void ResampleOne(const float* acc, int64_t lola, int64_t lout, int16_t* out, int64_t i) {
    const double o = static_cast<double>(i) * static_cast<double>(lola) *
                     (1.0 / static_cast<double>(lout));
    const double t = o - std::floor(o);
    const int64_t j = std::min(SourceIndex(i, lola, lout), lola - 1);
    if (j > 0 && j < lola - 1) {
      ResampleSplineScalar(acc, lola, lout, out, i, i + 1);
    } else {
      out[i] = ToSample((1.0 - t) * acc[j] + t * acc[j + 1]);
    }
  }

  // acc (length lola, acc[lola] a copy of its last entry) read at
  // i × lola / lout for i < stored. The positions rise with i, so only a
  // sample or two at each end fall outside the spline's range.
  static void Resample(const float* acc, int64_t lola, int64_t lout, int16_t* out,
                       int64_t stored) {
    auto inside = [&](int64_t i) {
      const int64_t j = SourceIndex(i, lola, lout);
      return j > 0 && j < lola - 1;
    };
    int64_t first = 0;
    while (first < stored && !inside(first)) ResampleOne(acc, lola, lout, out, first++);
    int64_t last = stored;
    while (last > first && !inside(last - 1)) ResampleOne(acc, lola, lout, out, --last);
    ResampleSpline(DetectSimdLevel(), acc, lola, lout, out, first, last);
  }

  static ConversionResult Render(const ConversionInput& input, ConversionRatios ratios,
                                 ConversionWork& work, std::span<int16_t> out,
                                 const std::atomic<bool>* cancel);
};

ConversionResult ConversionWorkAccess::Render(const ConversionInput& input,
                                              ConversionRatios ratios, ConversionWork& work,
                                              std::span<int16_t> out,
                                              const std::atomic<bool>* cancel) {
  using Access = ConversionWorkAccess;
  ConversionResult result;
  if (work.m_capacity == 0) return result;
  float* acc = work.m_accumulator.data();
  std::memset(acc, 0, work.m_dirty * sizeof(float));
  work.m_dirty = 0;
  const Access::Layout layout = Access::PlaceGrains(input, ratios, work, cancel);
  work.m_dirty = static_cast<std::size_t>(layout.written);
  result.cancelled = layout.cancelled;
  if (!layout.placed || layout.cancelled) return result;

  const std::span<const int32_t> m = input.marks;
  const int32_t markCount = static_cast<int32_t>(m.size()) - 1;
  // Kept inside the accumulator; whatever lay beyond it was dropped anyway.
  const int64_t lola =
      std::min<int64_t>(layout.g - layout.h + 1, static_cast<int64_t>(work.m_capacity));
  const int64_t lout = int64_t{m[static_cast<std::size_t>(std::min(layout.k, markCount))]} -
                       m[0] + 1;
  acc[lola] = acc[lola - 1];
  work.m_dirty = std::max(work.m_dirty, static_cast<std::size_t>(lola) + 1);
  // The last mark may lie past the recording: the output stops at its end.
  const int64_t stored = std::clamp<int64_t>(lout, 0, static_cast<int64_t>(out.size()));
  Access::Resample(acc, lola, std::max<int64_t>(lout, 1), out.data(), stored);
  result.stored = static_cast<int32_t>(stored);
  result.lola = static_cast<int32_t>(lola);
  result.lout = static_cast<int32_t>(lout);
  return result;
}

ConversionResult RenderConversion(const ConversionInput& input, ConversionRatios ratios,
                                  ConversionWork& work, std::span<int16_t> out,
                                  const std::atomic<bool>* cancel) {
  return ConversionWorkAccess::Render(input, ratios, work, out, cancel);
}

}  // namespace velmio

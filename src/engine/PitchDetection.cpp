#include "engine/PitchDetection.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>

#include "engine/PitchCorrelation.h"

namespace velmio {
namespace {

// The vector builds read and write past the lags they use.
constexpr int32_t kReadSlack = 2 * kCorrelationSlack;

// Periods quieter than this (16-bit units) are not voiced in the track.
constexpr int16_t kVoicedPeak = 16;

void SumSegment(SegmentSums& sums, SimdLevel simd) {
#if defined(VELMIO_HAVE_AVX2_ROWS)
  // The vector builds give the scalar loops' bits, so the widest one is used.
  if (simd == SimdLevel::kAvx2Fma) {
    if (HasAvx512Lags()) {
      SumSegmentAvx512(sums);
    } else {
      SumSegmentAvx2(sums);
    }
    return;
  }
#endif
  (void)simd;
  SumSegmentScalar(sums);
}

void NormaliseLags(const float* num, float e0, int32_t count, float* energyToR, SimdLevel simd) {
#if defined(VELMIO_HAVE_AVX2_ROWS)
  if (simd == SimdLevel::kAvx2Fma) {
    NormaliseLagsAvx2(num, e0, count, energyToR);
    return;
  }
#endif
  (void)simd;
  NormaliseLagsScalar(num, e0, count, energyToR);
}

int16_t TruncatedPeak(float peak) {
  // -32768 has a magnitude one past the int16 range.
  return static_cast<int16_t>(std::min(static_cast<int32_t>(peak), int32_t{32767}));
}

// The largest of `floor` and x[0 ... count - 1] (their magnitudes with
// kMagnitudes), NaNs passed over: what a scan that replaces only on a
// strictly greater value ends with. The maximum does not depend on the order
// of the comparisons, so four lanes may share the scan.
template <bool kMagnitudes>
float LaneMaximum(const float* x, int32_t count, float floor) {
  float largest = floor;
  int32_t i = 0;
#if defined(__SSE2__)
  if (count >= 8) {
    const __m128 keep = _mm_castsi128_ps(_mm_set1_epi32(kMagnitudes ? 0x7fffffff : -1));
    // maxps(x, acc) keeps acc when x is NaN, as the scalar comparison does.
    __m128 acc0 = _mm_set1_ps(floor), acc1 = acc0;
    for (; i + 8 <= count; i += 8) {
      acc0 = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(x + i), keep), acc0);
      acc1 = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(x + i + 4), keep), acc1);
    }
    alignas(16) float lanes[4];
    _mm_store_ps(lanes, _mm_max_ps(acc0, acc1));
    for (float lane : lanes) largest = std::max(largest, lane);
  }
#endif
  for (; i < count; ++i) {
    const float v = kMagnitudes ? std::fabs(x[i]) : x[i];
    if (v > largest) largest = v;
  }
  return largest;
}

// Lag of the correlation's maximum after the octave rule: the shortest lag
// within 10% of the best wins, moved to the top of its rising run.
// `r` holds lags minLag ... maxLag. Returns 0 when unvoiced.
int32_t PickLag(const float* r, int32_t minLag, int32_t maxLag) {
  const int32_t count = maxLag - minLag + 1;
  const float rMax = LaneMaximum<false>(r, count, -1e10f);
  int32_t best = 0;
  if (rMax > -1e10f) best = minLag + static_cast<int32_t>(std::find(r, r + count, rMax) - r);
  if (best == 0 || rMax < 0.5f) return 0;
  const float threshold = static_cast<float>(0.9 * static_cast<double>(rMax));
  for (int32_t tau = minLag + 1; tau <= maxLag; ++tau) {
    if (r[tau - minLag] > threshold) {
      int32_t u = tau;
      while (u <= maxLag && r[u - minLag] > r[u - 1 - minLag]) ++u;
      return u - 1;
    }
  }
  return best;
}

}  // namespace

float NoteFrequency(int32_t note, int32_t a4Frequency) {
  const float exponent = static_cast<float>(note - 57) * (1.0f / 12.0f);
  const float ratio = static_cast<float>(std::pow(2.0, static_cast<double>(exponent)));
  return ratio * static_cast<float>(a4Frequency);
}

int16_t PitchTrackValue(float hz, int32_t highNote, int32_t a4Frequency) {
  const int32_t unvoiced = 8 * highNote + 12;
  if (!(hz > 0.0f)) return static_cast<int16_t>(unvoiced);
  const float ln2 = static_cast<float>(std::log(2.0));
  const float note = 12.0f / ln2 * std::log(hz / static_cast<float>(a4Frequency)) + 57.0f;
  const float scaled = 8.0f * note;
  const auto rounded = static_cast<int32_t>(std::trunc(static_cast<double>(scaled) + 0.5));
  return static_cast<int16_t>(unvoiced - rounded);
}

void PeriodScratch::Reserve(int32_t length, int32_t lagCount) {
  const auto segment = static_cast<std::size_t>(std::max(length, 0) + kReadSlack);
  if (m_segment.size() < segment) {
    m_segment.Reset(segment);
  }
  const auto lags = static_cast<std::size_t>(std::max(lagCount, 0) + kReadSlack);
  if (m_correlation.size() < lags) {
    m_correlation.Reset(lags);
    m_products.Reset(lags);
  }
}

float PeakMagnitude(const float* signal, int32_t begin, int32_t end) {
  return end > begin ? LaneMaximum<true>(signal + begin, end - begin, 0.0f) : 0.0f;
}

PeriodEstimate EstimatePeriod(const float* signal, int32_t start, int32_t length, float fs,
                              int32_t fMinHz, int32_t fMaxHz, PeriodScratch& scratch,
                              SimdLevel simd) {
  if (fMinHz < 1 || fMaxHz < 1) return {};
  const auto minLag = static_cast<int32_t>(fs / static_cast<float>(fMaxHz));
  const auto maxLag = static_cast<int32_t>(fs / static_cast<float>(fMinHz));
  // Lag 0 would compare the segment with itself; beyond the segment nothing is left.
  if (minLag < 1 || maxLag < minLag || maxLag >= length) return {};

  float* s = scratch.Segment();
  float sum = 0.0f;
  for (int32_t k = 0; k < length; ++k) {
    s[k] = signal[start + k];
    sum += s[k];
  }
  const float mean = sum / static_cast<float>(length);
  for (int32_t k = 0; k < length; ++k) s[k] -= mean;

  const int32_t lagCount = maxLag - minLag + 1;
  float* r = scratch.Correlation();
  SegmentSums sums{s, length - maxLag, minLag, lagCount, scratch.Products(), r};
  SumSegment(sums, simd);
  NormaliseLags(sums.num, sums.e0, lagCount, r, simd);

  const int32_t lag = PickLag(r, minLag, maxLag);
  if (lag == 0) return {};
  return PeriodEstimate{fs / static_cast<float>(lag), lag};
}

void TrackPitchMarks(std::span<const float> signal, float fs, float fLow, float fHigh,
                     PitchResult& result, SimdLevel simd) {
  result.m_pitchMarks.assign(1, 0);
  result.m_periodPeaks.assign(1, 0);
  result.m_markCount = 0;
  const auto padded = static_cast<int32_t>(signal.size());
  const auto step0 = static_cast<int32_t>(std::floor(fs * 0.01f));
  const int32_t window = 2 * static_cast<int32_t>(std::floor(fs / fLow));
  const int32_t limit = padded - window;
  const auto fMinHz = static_cast<int32_t>(fLow);
  const auto fMaxHz = static_cast<int32_t>(fHigh);
  if (step0 < 1 || window < 1 || limit <= 0) return;

  PeriodScratch scratch;
  const int32_t lagCount =
      fMinHz >= 1 && fMaxHz >= 1
          ? static_cast<int32_t>(fs / static_cast<float>(fMinHz)) -
                static_cast<int32_t>(fs / static_cast<float>(fMaxHz)) + 1
          : 0;
  scratch.Reserve(window + 1, lagCount);
  result.m_pitchMarks.reserve(static_cast<std::size_t>(padded / std::max(step0, 1)) + 16);
  result.m_periodPeaks.reserve(result.m_pitchMarks.capacity());

  int32_t mark = 0;
  while (mark < limit) {
    const PeriodEstimate estimate =
        EstimatePeriod(signal.data(), mark, window + 1, fs, fMinHz, fMaxHz, scratch, simd);
    const int32_t next = mark + (estimate.lag > 0 ? estimate.lag : step0);
    const int16_t peak =
        estimate.lag > 0 ? TruncatedPeak(PeakMagnitude(signal.data(), mark, next)) : int16_t{0};
    result.m_pitchMarks.push_back(next);
    result.m_periodPeaks.push_back(peak);
    mark = next;
  }
  result.m_markCount = static_cast<int32_t>(result.m_pitchMarks.size()) - 1;
}

PitchResult DetectPitch(std::span<const float> signal, int32_t frameCount,
                        const PitchSettings& settings) {
  PitchResult result;
  const float fs = static_cast<float>(settings.sampleRate);
  const float fLow = NoteFrequency(settings.pitchLowNote, settings.a4Frequency);
  const float fHigh = NoteFrequency(settings.pitchHighNote, settings.a4Frequency);
  TrackPitchMarks(signal, fs, fLow, fHigh, result, settings.simd);

  // Each frame takes the pitch of the period holding its first sample; the
  // frames arrive in order, so the period is found by walking forward.
  result.m_pitchTrack.resize(static_cast<std::size_t>(std::max(frameCount, 0)));
  const auto padded = static_cast<int64_t>(signal.size());
  const std::vector<int32_t>& marks = result.m_pitchMarks;
  int32_t period = 1;
  for (int32_t t = 0; t < frameCount; ++t) {
    const int64_t position = int64_t{t} * settings.hopSize;
    while (period <= result.m_markCount && marks[period] <= position) ++period;
    float hz = 0.0f;
    if (position < padded && period <= result.m_markCount &&
        result.m_periodPeaks[period] >= kVoicedPeak) {
      hz = fs / static_cast<float>(marks[period] - marks[period - 1]);
    }
    result.m_pitchTrack[t] = PitchTrackValue(hz, settings.highNote, settings.a4Frequency);
  }
  return result;
}

}  // namespace velmio

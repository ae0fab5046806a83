#include "audio/VocalCut.h"

#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "dsp/FftPlans.h"

namespace velmio {
namespace {

constexpr int kN = kVocalFrame;
// The overlap-add already holds a frame's contribution only after this many
// later sample frames: how far a frame reaches back into a neighbour's part.
constexpr int64_t kReach = kVocalFrame - kVocalHop;

int16_t RoundToSample(float value) {
  const float r = std::nearbyint(value);  // ties to even in the default rounding mode
  if (r >= 32767.0f) return 32767;
  if (r <= -32768.0f) return -32768;
  return r == r ? static_cast<int16_t>(r) : int16_t{0};
}

// The ring of sums holds one frame and more: a power of two, so a sample's
// slot is its index masked.
constexpr int64_t kRingMask = 4095;

// A sample pair that a neighbouring worker may still read: the first 2048 of
// a part (the previous worker's last frames reach them) and the last 1792
// (the next worker's first frames start there). They are written last.
struct HeldBackSample {
  int64_t frame;
  int16_t left;
  int16_t right;
};
using HeldBackSamples = std::vector<HeldBackSample>;

// The part of the file one worker writes: the output samples [ownBegin,
// ownEnd), from every frame that overlaps them. Frames starting before the
// part belong to the previous worker's range too; they are computed again
// here, so each output sample receives its frames in the order of a single
// pass, and no two threads ever write the same sample. The samples are
// rewritten in place, so no buffer of the whole file's sums is needed.
struct WorkerPart {
  int64_t ownBegin = 0;
  int64_t ownEnd = 0;
  int64_t firstFrame = 0;  // frame starts firstFrame, +256, ... below endFrame
  int64_t endFrame = 0;
};

class VocalWorker {
 public:
  VocalWorker(VocalMode mode, int32_t lowBin)
      : m_mode(mode),
        m_lowBin(lowBin),
        m_forward(ComplexFftPlan::Get(kN, FftDirection::kForward)),
        m_inverse(ComplexFftPlan::Get(kN, FftDirection::kInverse)),
        m_frame(2 * kN),
        m_gain(kN),
        m_synthesis(kN),
        m_ring(2 * (kRingMask + 1)) {
    const std::array<float, kN>& w = VocalCutWindow();
    for (int n = 0; n < kN; ++n) {
      m_analysis[n] = static_cast<int32_t>(static_cast<int16_t>(w[n] * 32767.0f));
      // 1/65534, and the 1/2048 of the forward transform that is left out of
      // the spectrum: a power of two, so the product is the same number.
      m_synthesis[n] = (w[n] * 1.5259254723787308e-05f) * (1.0f / kN);
    }
    std::fill(m_gain.begin(), m_gain.end(), mode == VocalMode::kCut ? 1.0f : 0.0f);
  }

  // Processes the part's frames and writes its own samples, rounded, into
  // `pcm` as soon as no later frame adds to them. Those that a neighbour
  // still reads go to `heldBack` instead, for the caller to write once every
  // worker is done.
  void Run(int16_t* pcm, const WorkerPart& part, HeldBackSamples& heldBack) {
    m_emitted = part.ownBegin;
    for (int64_t s = part.firstFrame; s < part.endFrame; s += kVocalHop) {
      Window(pcm + 2 * s);
      m_forward.Execute(m_frame.data());
      Mask();
      m_inverse.Execute(m_frame.data());
      OverlapAdd(s, part);
      // Later frames start at s + 256 or after: everything before is complete,
      // and nothing this worker reads from now on lies there.
      Emit(std::min(s + kVocalHop, part.ownEnd), pcm, part, heldBack);
    }
    Emit(part.ownEnd, pcm, part, heldBack);
  }

 private:
  // Left into the real parts, right into the imaginary parts: one complex
  // transform carries both channels.
  void Window(const int16_t* pcm) {
    float* z = m_frame.data();
    for (int n = 0; n < kN; ++n) {
      z[2 * n] = static_cast<float>(int32_t{pcm[2 * n]} * m_analysis[n]);
      z[2 * n + 1] = static_cast<float>(int32_t{pcm[2 * n + 1]} * m_analysis[n]);
    }
  }

  // The gains of the band, then the whole spectrum scaled by them.
  void Mask() {
    float* z = m_frame.data();
    const int count = kVocalHighBin - m_lowBin + 1;
    BandGains(z, count);
    for (int i = 0; i < count; ++i) {
      m_gain[m_lowBin + i] = m_bandGain[i];
      m_gain[kN - m_lowBin - i] = m_bandGain[i];
    }
    // The gain is real and even in k, so it scales both channels' spectra at once.
    for (int k = 0; k < kN; ++k) {
      z[2 * k] *= m_gain[k];
      z[2 * k + 1] *= m_gain[k];
    }
  }

  // For each band bin k: the channels' spectra from the shared one,
  // A(k) = (Z(k) + conj Z(N-k)) / 2 and B(k) = (Z(k) - conj Z(N-k)) / 2i,
  // with the forward transform's 1/N; their powers with 0.001 added to the
  // real parts in double precision; M = the ratio of the powers, M = M < 1/M
  // ? M : 1/M, clamped to 0.16 ... 0.36 (a NaN ratio to 0.16); v = (M - 0.16)
  // * 5; the gain 1 - v (cut) or v (extract). With SSE four bins at a time,
  // each lane doing the scalar steps' exact operations; the last group's
  // spare lanes read bins above the band and are not used.
  void BandGains(const float* z, int count) {
    constexpr float kHalfScaled = 0.5f / kN;
    const bool cut = m_mode == VocalMode::kCut;
#if defined(__SSE4_1__)
    const __m128 half = _mm_set1_ps(kHalfScaled), one = _mm_set1_ps(1.0f);
    const __m128 low = _mm_set1_ps(0.16f), high = _mm_set1_ps(0.36f), five = _mm_set1_ps(5.0f);
    const __m128d shift = _mm_set1_pd(0.001);
    const auto shifted = [&shift](__m128 x) {
      const __m128 lo = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(x), shift));
      const __m128 hi = _mm_cvtpd_ps(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)), shift));
      return _mm_movelh_ps(lo, hi);
    };
    for (int i = 0; i < count; i += 4) {
      const int k = m_lowBin + i;
      const __m128 p0 = _mm_loadu_ps(z + 2 * k), p1 = _mm_loadu_ps(z + 2 * k + 4);
      const __m128 q0 = _mm_loadu_ps(z + 2 * (kN - k - 3)), q1 = _mm_loadu_ps(z + 2 * (kN - k - 1));
      const __m128 re = _mm_shuffle_ps(p0, p1, _MM_SHUFFLE(2, 0, 2, 0));
      const __m128 im = _mm_shuffle_ps(p0, p1, _MM_SHUFFLE(3, 1, 3, 1));
      // Z(N-k), Z(N-k-1), ...: the mirrored bins in the order of k.
      const __m128 reM = _mm_shuffle_ps(q1, q0, _MM_SHUFFLE(0, 2, 0, 2));
      const __m128 imM = _mm_shuffle_ps(q1, q0, _MM_SHUFFLE(1, 3, 1, 3));
      const __m128 aRe = _mm_mul_ps(_mm_add_ps(re, reM), half);
      const __m128 aIm = _mm_mul_ps(_mm_sub_ps(im, imM), half);
      const __m128 bRe = _mm_mul_ps(_mm_add_ps(im, imM), half);
      const __m128 bIm = _mm_mul_ps(_mm_sub_ps(reM, re), half);
      const __m128 aShift = shifted(aRe), bShift = shifted(bRe);
      const __m128 left = _mm_add_ps(_mm_mul_ps(aIm, aIm), _mm_mul_ps(aShift, aShift));
      const __m128 right = _mm_add_ps(_mm_mul_ps(bIm, bIm), _mm_mul_ps(bShift, bShift));
      __m128 m = _mm_div_ps(left, right);
      m = _mm_min_ps(m, _mm_div_ps(one, m));  // (m < 1/m) ? m : 1/m
      m = _mm_blendv_ps(low, _mm_min_ps(m, high), _mm_cmpgt_ps(m, low));
      const __m128 v = _mm_mul_ps(_mm_sub_ps(m, low), five);
      _mm_store_ps(&m_bandGain[i], cut ? _mm_sub_ps(one, v) : v);
    }
#else
    for (int i = 0; i < count; ++i) {
      const int k = m_lowBin + i;
      const float re = z[2 * k], im = z[2 * k + 1];
      const float reM = z[2 * (kN - k)], imM = z[2 * (kN - k) + 1];
      const float aRe = (re + reM) * kHalfScaled, aIm = (im - imM) * kHalfScaled;
      const float bRe = (im + imM) * kHalfScaled, bIm = (reM - re) * kHalfScaled;
      const auto aShift = static_cast<float>(static_cast<double>(aRe) + 0.001);
      const auto bShift = static_cast<float>(static_cast<double>(bRe) + 0.001);
      float m = (aIm * aIm + aShift * aShift) / (bIm * bIm + bShift * bShift);
      const float inverse = 1.0f / m;
      m = m < inverse ? m : inverse;
      m = m > 0.16f ? (m < 0.36f ? m : 0.36f) : 0.16f;
      const float v = (m - 0.16f) * 5.0f;
      m_bandGain[i] = cut ? 1.0f - v : v;
    }
#endif
  }

  // Adds the frame into the ring of sums, on the part's own samples only.
  void OverlapAdd(int64_t s, const WorkerPart& part) {
    const float* z = m_frame.data();
    const int64_t first = std::max<int64_t>(s, part.ownBegin) - s;
    const int64_t last = std::min<int64_t>(s + kN, part.ownEnd) - s;
    float* ring = m_ring.data();
    for (int64_t n = first; n < last; ++n) {
      const int64_t slot = 2 * ((s + n) & kRingMask);
      ring[slot] += z[2 * n] * m_synthesis[n];
      ring[slot + 1] += z[2 * n + 1] * m_synthesis[n];
    }
  }

  // Rounds the complete sums before `upTo` and clears their slots for reuse.
  void Emit(int64_t upTo, int16_t* pcm, const WorkerPart& part, HeldBackSamples& heldBack) {
    float* ring = m_ring.data();
    for (int64_t j = m_emitted; j < upTo; ++j) {
      const int64_t slot = 2 * (j & kRingMask);
      const int16_t left = RoundToSample(ring[slot]);
      const int16_t right = RoundToSample(ring[slot + 1]);
      ring[slot] = ring[slot + 1] = 0.0f;
      if (j < part.ownBegin + kN || j >= part.ownEnd - kReach) {
        heldBack.push_back({j, left, right});
      } else {
        pcm[2 * j] = left;
        pcm[2 * j + 1] = right;
      }
    }
    m_emitted = std::max(m_emitted, upTo);
  }

  VocalMode m_mode;
  int32_t m_lowBin;
  const ComplexFftPlan& m_forward;
  const ComplexFftPlan& m_inverse;
  AlignedBuffer<float> m_frame;
  AlignedBuffer<float> m_gain;
  AlignedBuffer<float> m_synthesis;
  // The overlap-add sums of the samples not yet written, by sample & kRingMask.
  AlignedBuffer<float> m_ring;
  int64_t m_emitted = 0;
  // The gain of each band bin, from the band's first.
  alignas(16) std::array<float, kN> m_bandGain{};
  std::array<int32_t, kN> m_analysis{};
};

// Frame starts of the four quarters: 0, Q, 256 floor(P / 2), 3Q, with
// P = floor(F / 256) and Q = 256 floor(P / 4); a start s is used while
// s < F - 2048. With another worker count, equal parts on the hop.
std::vector<int64_t> RangeStarts(int64_t frames, int workers) {
  const int64_t hops = frames / kVocalHop;
  std::vector<int64_t> starts;
  if (workers == kVocalWorkers) {
    const int64_t q = kVocalHop * (hops / 4);
    starts = {0, q, kVocalHop * (hops / 2), 3 * q};
  } else {
    for (int w = 0; w < workers; ++w) starts.push_back(kVocalHop * (hops * w / workers));
  }
  // Short files can give a later quarter an earlier start; parts must not overlap.
  for (std::size_t w = 1; w < starts.size(); ++w) starts[w] = std::max(starts[w], starts[w - 1]);
  return starts;
}

std::vector<WorkerPart> SplitWork(int64_t frames, int workers) {
  const std::vector<int64_t> starts = RangeStarts(frames, workers);
  const int64_t lastStart = frames - kN;  // starts below this fit wholly
  std::vector<WorkerPart> parts(starts.size());
  for (std::size_t w = 0; w < starts.size(); ++w) {
    WorkerPart& p = parts[w];
    p.ownBegin = starts[w];
    p.ownEnd = w + 1 < starts.size() ? starts[w + 1] : frames;
    p.firstFrame = std::max<int64_t>(0, p.ownBegin - kReach);
    p.endFrame = std::min(p.ownEnd, lastStart);
  }
  return parts;
}

}  // namespace

const std::array<float, kVocalFrame>& VocalCutWindow() {
  static const std::array<float, kN> window = [] {
    std::array<float, kN> w{};
    for (int n = 0; n < kN; ++n)
      w[n] = static_cast<float>(0.5 * (1.0 - std::cos(6.283185307 * n / 2048.0)));
    return w;
  }();
  return window;
}

float VocalBandLowHz(int32_t lowestNote, int32_t a4Frequency) {
  const float exponent = (static_cast<float>(lowestNote) - 33.5f) * (1.0f / 12.0f);
  const auto factor = static_cast<float>(std::pow(2.0, static_cast<double>(exponent)));
  return static_cast<float>(a4Frequency) * factor + 0.5f;
}

int32_t VocalBandLowBin(float lowHz) {
  const auto bin = static_cast<int32_t>(lowHz * 2048.0f * (1.0f / 44100.0f));
  return std::max(1, bin);
}

void ProcessVocals(int16_t* samples, int64_t frames, const VocalCutParams& params) {
  if (frames <= 0) return;
  const int32_t lowBin = VocalBandLowBin(VocalBandLowHz(params.lowestNote, params.a4Frequency));
  const std::vector<WorkerPart> parts = SplitWork(frames, std::max(params.workers, 1));
  std::vector<HeldBackSamples> heldBack(parts.size());
  std::vector<std::thread> threads;
  for (std::size_t w = 0; w < parts.size(); ++w) {
    if (parts[w].ownBegin >= parts[w].ownEnd) continue;
    threads.emplace_back([&, w] {
      VocalWorker worker(params.mode, lowBin);
      worker.Run(samples, parts[w], heldBack[w]);
    });
  }
  for (std::thread& t : threads) t.join();
  for (const HeldBackSamples& held : heldBack) {
    for (const HeldBackSample& h : held) {
      samples[2 * h.frame] = h.left;
      samples[2 * h.frame + 1] = h.right;
    }
  }
}

}  // namespace velmio

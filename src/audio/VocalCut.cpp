#include "audio/VocalCut.h"

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

// The part of the file one worker writes: the output samples [ownBegin,
// ownEnd), from every frame that overlaps them. Frames starting before the
// part belong to the previous worker's range too; they are computed again
// here, so each output sample receives its frames in the order of a single
// pass, and no two threads ever write the same sample.
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
        m_synthesis(kN) {
    const std::array<float, kN>& w = VocalCutWindow();
    for (int n = 0; n < kN; ++n) {
      m_analysis[n] = static_cast<int32_t>(static_cast<int16_t>(w[n] * 32767.0f));
      // 1/65534, and the 1/2048 of the forward transform that is left out of
      // the spectrum: a power of two, so the product is the same number.
      m_synthesis[n] = (w[n] * 1.5259254723787308e-05f) * (1.0f / kN);
    }
    std::fill(m_gain.begin(), m_gain.end(), mode == VocalMode::kCut ? 1.0f : 0.0f);
  }

  void Run(const int16_t* pcm, float* out, const WorkerPart& part) {
    for (int64_t s = part.firstFrame; s < part.endFrame; s += kVocalHop) {
      Window(pcm + 2 * s);
      m_forward.Execute(m_frame.data());
      Mask();
      m_inverse.Execute(m_frame.data());
      OverlapAdd(out, s, part);
    }
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

  // Each channel's spectrum from the shared one: A(k) = (Z(k) + conj Z(N-k)) / 2,
  // B(k) = (Z(k) - conj Z(N-k)) / 2i, with the forward transform's 1/N.
  void Mask() {
    float* z = m_frame.data();
    constexpr float kHalfScaled = 0.5f / kN;
    const bool cut = m_mode == VocalMode::kCut;
    for (int k = m_lowBin; k <= kVocalHighBin; ++k) {
      const float re = z[2 * k], im = z[2 * k + 1];
      const float reM = z[2 * (kN - k)], imM = z[2 * (kN - k) + 1];
      const float aRe = (re + reM) * kHalfScaled, aIm = (im - imM) * kHalfScaled;
      const float bRe = (im + imM) * kHalfScaled, bIm = (reM - re) * kHalfScaled;
      const auto aShift = static_cast<float>(static_cast<double>(aRe) + 0.001);
      const auto bShift = static_cast<float>(static_cast<double>(bRe) + 0.001);
      float m = (aIm * aIm + aShift * aShift) / (bIm * bIm + bShift * bShift);
      const float inverse = 1.0f / m;
      m = m < inverse ? m : inverse;
      // Written so that a NaN ratio takes the lower bound.
      m = m > 0.16f ? (m < 0.36f ? m : 0.36f) : 0.16f;
      const float v = (m - 0.16f) * 5.0f;
      const float gain = cut ? 1.0f - v : v;
      m_gain[k] = gain;
      m_gain[kN - k] = gain;
    }
    // The gain is real and even in k, so it scales both channels' spectra at once.
    for (int k = 0; k < kN; ++k) {
      z[2 * k] *= m_gain[k];
      z[2 * k + 1] *= m_gain[k];
    }
  }

  void OverlapAdd(float* out, int64_t s, const WorkerPart& part) {
    const float* z = m_frame.data();
    const int64_t first = std::max<int64_t>(s, part.ownBegin) - s;
    const int64_t last = std::min<int64_t>(s + kN, part.ownEnd) - s;
    float* o = out + 2 * s;
    for (int64_t n = first; n < last; ++n) {
      o[2 * n] += z[2 * n] * m_synthesis[n];
      o[2 * n + 1] += z[2 * n + 1] * m_synthesis[n];
    }
  }

  VocalMode m_mode;
  int32_t m_lowBin;
  const ComplexFftPlan& m_forward;
  const ComplexFftPlan& m_inverse;
  AlignedBuffer<float> m_frame;
  AlignedBuffer<float> m_gain;
  AlignedBuffer<float> m_synthesis;
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

int16_t RoundToSample(float value) {
  const float r = std::nearbyint(value);  // ties to even in the default rounding mode
  if (r >= 32767.0f) return 32767;
  if (r <= -32768.0f) return -32768;
  return r == r ? static_cast<int16_t>(r) : int16_t{0};
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
  AlignedBuffer<float> out(2 * static_cast<std::size_t>(frames));
  const std::vector<WorkerPart> parts = SplitWork(frames, std::max(params.workers, 1));
  std::vector<std::thread> threads;
  for (const WorkerPart& part : parts) {
    if (part.firstFrame >= part.endFrame) continue;
    threads.emplace_back([&, part] {
      VocalWorker worker(params.mode, lowBin);
      worker.Run(samples, out.data(), part);
    });
  }
  for (std::thread& t : threads) t.join();
  for (int64_t i = 0; i < 2 * frames; ++i) samples[i] = RoundToSample(out[i]);
}

}  // namespace velmio

#include "engine/TempoEstimator.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "dsp/FFT.h"

namespace velmio {
namespace {

// The estimator counts frames of 256 samples at 44.1 kHz whatever the rate;
// the analysis keeps the real frame period close to it.
constexpr float kFramePeriod = 0.0058049886f;
constexpr float kFrameRate = 172.265625f;
constexpr float kPerMinute = 0.016666668f;

// The power spectrum of the onset signal from bin lo up; reads outside it are 0.
class PowerTable {
 public:
  PowerTable(const float* spectrum, int32_t lo, int32_t count) : m_power(std::max(count, 0)) {
    for (int32_t i = 0; i < count; ++i) {
      const float re = spectrum[2 * (lo + i)];
      const float im = spectrum[2 * (lo + i) + 1];
      m_power[i] = re * re + im * im;
    }
  }
  float operator[](int64_t i) const {
    return i >= 0 && i < static_cast<int64_t>(m_power.size()) ? m_power[i] : 0.0f;
  }
  // The largest of 0 and the 32 values from `first` up; the lowest index
  // wins ties (`at` keeps its value when nothing beats 0).
  float WindowMax(int64_t first, int32_t* at = nullptr) const {
    float best = 0.0f;
    for (int64_t i = first; i < first + 32; ++i) {
      if (i < 0) continue;
      if ((*this)[i] > best) {
        best = (*this)[i];
        if (at != nullptr) *at = static_cast<int32_t>(i);
      }
    }
    return best;
  }

 private:
  std::vector<float> m_power;
};

// Rectified central difference of the energy, as the real parts of n points.
void FillOnsets(std::span<const float> energy, int32_t frames, float* points) {
  const int32_t last = std::min<int32_t>(frames, static_cast<int32_t>(energy.size())) - 1;
  for (int32_t i = 1; i < last; ++i) {
    const float d = energy[i + 1] - energy[i - 1];
    if (d > 0.0f) points[2 * i] = d;
  }
}

int32_t BeatsPerBarIndex(const PowerTable& p, int32_t beatBin, int32_t lo, float peak) {
  const float w2 = p.WindowMax(int64_t{2} * beatBin - lo - 16);
  const float w3 = p.WindowMax(int64_t{3} * beatBin - lo - 16);
  const float w4 = p.WindowMax(int64_t{4} * beatBin - lo - 16);
  if (1.2 * static_cast<double>(w3) >= static_cast<double>(peak)) return 1;
  if (w2 >= 2.0f * w4) return 0;
  return 2;
}

int32_t StartMs(const TempoInput& in) {
  const int32_t k = std::max(FirstVisibleFrame(in), 0);
  return static_cast<int32_t>(static_cast<float>(int64_t{k} * 1000) * kFramePeriod + 0.5f);
}

}  // namespace

int32_t TempoTransformSize(int32_t frameCount) {
  const float octaves = std::log(static_cast<float>(frameCount)) / std::log(2.0f);
  auto n = static_cast<int64_t>(std::pow(2.0, std::ceil(static_cast<double>(octaves))));
  // Float logarithms can round a length just above a power of two down to
  // it; the onsets must still fit.
  while (n < frameCount) n *= 2;
  return static_cast<int32_t>(n);
}

int32_t FirstVisibleFrame(const TempoInput& in) {
  const float range = static_cast<float>(in.levelRangeDb);
  const float top = static_cast<float>(in.levelTopDb);
  const float steps = 255.0f / range;
  const int64_t frames = in.frameCount;
  const int64_t rows = frames > 0 ? std::min<int64_t>(in.rows, in.levelDb.size() / frames) : 0;
  // Row by row, each only up to the earliest frame found so far: the matrix
  // is read in memory order, and a visible cell near the start ends most of it.
  int64_t first = frames;
  for (int64_t r = 0; r < rows && first > 0; ++r) {
    const float* row = in.levelDb.data() + r * frames;
    for (int64_t k = 0; k < first; ++k) {
      // trunc(x) >= 1 exactly when x >= 1, without converting huge values.
      if ((range + row[k] + top) * steps >= 1.0f) {
        first = k;
        break;
      }
    }
  }
  return first < frames ? static_cast<int32_t>(first) : -1;
}

TempoProposal EstimateTempo(const TempoInput& in) {
  const int32_t n = TempoTransformSize(std::max(in.frameCount, 1));
  AlignedBuffer<float> points(2 * static_cast<std::size_t>(n));
  FillOnsets(in.frameEnergy, in.frameCount, points.data());
  CFFT fft;
  fft.Init(n);
  fft.Transform(points.data());

  const float seconds = static_cast<float>(n) * kFramePeriod;
  const auto lo = static_cast<int32_t>(seconds * 50.0f * kPerMinute);
  const auto hi = static_cast<int32_t>(seconds * 200.0f * kPerMinute);
  const PowerTable p(points.data(), lo, 4 * hi - lo);

  int32_t h = 0;
  float m = 0.0f;
  for (int32_t i = 0; i < hi - lo; ++i) {
    if (p[i] > m) {
      m = p[i];
      h = i;
    }
  }
  // Half the tempo when its peak holds more than a third of the power.
  int32_t t = 0;
  const float u = p.WindowMax((h + lo) / 2 - lo - 16, &t);
  if (3.0f * u > m) {
    h = t;
    m = u;
  }

  TempoProposal proposal;
  proposal.startMs = StartMs(in);
  if (m <= 0.0f) {
    proposal.tempo = kNoBeatTempo;
    proposal.beatsPerBarIndex = kNoBeatBeatsPerBarIndex;
    return proposal;
  }
  const int32_t beatBin = h + lo;
  proposal.beatsPerBarIndex = BeatsPerBarIndex(p, beatBin, lo, m);
  // Between the peak bin and its stronger neighbour, by the peak's share.
  const int32_t h2 = p[h - 1] > p[h + 1] ? h - 1 : h + 1;
  const float d = m / (p[h2] + m);
  const float perBin = 1.0f / static_cast<float>(n);
  const float neighbourBpm = static_cast<float>(lo + h2) * perBin * kFrameRate * 60.0f;
  const float peakBpm = static_cast<float>(beatBin) * perBin * kFrameRate * 60.0f;
  proposal.tempo = static_cast<int32_t>(neighbourBpm * (1.0f - d) + peakBpm * d + 0.5f);
  return proposal;
}

}  // namespace velmio

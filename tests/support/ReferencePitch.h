#pragma once
// A plain, literal pitch detector for comparisons: one scalar loop per sum,
// a per-sample pitch array, nothing shared with the shipped code.
#include <cmath>
#include <cstdint>
#include <vector>

namespace velmio::reference {

struct Pitch {
  std::vector<int32_t> marks{0};
  std::vector<int16_t> peaks{0};
  std::vector<int16_t> track;
};

inline float NoteHz(int note, int a4) {
  const float exponent = static_cast<float>(note - 57) * (1.0f / 12.0f);
  return static_cast<float>(std::pow(2.0, static_cast<double>(exponent))) * static_cast<float>(a4);
}

// (pitch, lag); lag 0 when unvoiced.
inline std::pair<float, int> Period(const float* x, int start, int length, float fs, int fMin,
                                    int fMax) {
  const int minLag = static_cast<int>(fs / static_cast<float>(fMax));
  const int maxLag = static_cast<int>(fs / static_cast<float>(fMin));
  if (maxLag < minLag || maxLag >= length || minLag < 1) return {0.0f, 0};
  std::vector<float> s(x + start, x + start + length);
  float sum = 0.0f;
  for (float v : s) sum += v;
  const float mean = sum / static_cast<float>(length);
  for (float& v : s) v -= mean;
  const int d = length - maxLag;
  float e0 = 1e-10f, e = 1e-10f;
  for (int k = 0; k < d; ++k) e0 += s[k] * s[k];
  for (int k = 0; k < d; ++k) e += s[minLag - 1 + k] * s[minLag - 1 + k];
  std::vector<float> r(maxLag - minLag + 1);
  for (int tau = minLag; tau <= maxLag; ++tau) {
    e = e - s[tau - 1] * s[tau - 1] + s[tau - 1 + d] * s[tau - 1 + d];
    float num = 0.0f;
    for (int k = 0; k < d; ++k) num += s[tau + k] * s[k];
    r[tau - minLag] = num / std::sqrt(e * e0);
  }
  float rMax = -1e10f;
  int best = 0;
  for (int tau = minLag; tau <= maxLag; ++tau)
    if (r[tau - minLag] > rMax) rMax = r[tau - minLag], best = tau;
  if (rMax < 0.5f) return {0.0f, 0};
  const float thr = static_cast<float>(0.9 * rMax);
  for (int tau = minLag + 1; tau <= maxLag; ++tau) {
    if (r[tau - minLag] > thr) {
      int u = tau;
      while (u <= maxLag && r[u - minLag] > r[u - 1 - minLag]) ++u;
      return {fs / static_cast<float>(u - 1), u - 1};
    }
  }
  return {fs / static_cast<float>(best), best};
}

inline Pitch Detect(const std::vector<float>& x, int frames, int rate, int hop, int highNote,
                    int lowSearch, int highSearch, int a4 = 440) {
  Pitch out;
  const int p = static_cast<int>(x.size());
  const float fs = static_cast<float>(rate);
  const float fLow = NoteHz(lowSearch, a4), fHigh = NoteHz(highSearch, a4);
  const int step0 = static_cast<int>(std::floor(fs * 0.01f));
  const int w = 2 * static_cast<int>(std::floor(fs / fLow));
  while (out.marks.back() < p - w) {
    const int a = out.marks.back();
    const auto [pitch, lag] =
        Period(x.data(), a, w + 1, fs, static_cast<int>(fLow), static_cast<int>(fHigh));
    const int b = a + (lag > 0 ? lag : step0);
    float peak = 0.0f;
    if (lag > 0)
      for (int j = a; j < b; ++j) peak = std::max(peak, std::fabs(x[j]));
    out.marks.push_back(b);
    out.peaks.push_back(static_cast<int16_t>(std::min(static_cast<int>(peak), 32767)));
  }
  std::vector<float> perSample(p, 0.0f);
  for (std::size_t i = 1; i < out.marks.size(); ++i) {
    const int a = out.marks[i - 1], b = out.marks[i];
    float v = fs / static_cast<float>(b - a);
    if (out.peaks[i] < 16) v = 0.0f;
    for (int j = a; j < b && j < p; ++j) perSample[j] = v;
  }
  const float ln2 = static_cast<float>(std::log(2.0));
  for (int t = 0; t < frames; ++t) {
    const long pos = static_cast<long>(t) * hop;
    const float f = pos < p ? perSample[pos] : 0.0f;
    int value = 8 * highNote + 12;
    if (f > 0.0f) {
      const float n = 12.0f / ln2 * std::log(f / static_cast<float>(a4)) + 57.0f;
      value -= static_cast<int>(static_cast<double>(8.0f * n) + 0.5);
    }
    out.track.push_back(static_cast<int16_t>(value));
  }
  return out;
}

}  // namespace velmio::reference

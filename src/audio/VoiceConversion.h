#pragma once
// Pitch and formant conversion of one voice by pitch-synchronous overlap-add:
// two-period grains cut at the pitch marks are weighted by a Hann window that
// starts at the mark, laid down at a spacing of P × fr / pr, and the sum is
// resampled by a natural cubic spline back to the duration of the input.
// The grain spacing sets the new pitch, the resampling the formant shift.
//
// Numeric code on plain spans: no failure path, no hidden state beyond the
// reusable work buffers the caller owns. Any thread; one rendering per
// ConversionWork at a time.
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "dsp/AlignedBuffer.h"

namespace velmio {

// Pitch ratio pr (0.25 ... 4) and formant ratio fr (0.5 ... 2).
struct ConversionRatios {
  float pitch = 1.0f;
  float formant = 1.0f;

  // Both exactly 1: the conversion is a plain copy of the recording.
  bool IsIdentity() const { return pitch == 1.0f && formant == 1.0f; }
  friend bool operator==(const ConversionRatios&, const ConversionRatios&) = default;
};

// Slider positions in half semitones: pitch -48 ... 48, formant -24 ... 24.
constexpr int32_t kPitchPositionLimit = 48;
constexpr int32_t kFormantPositionLimit = 24;

// 2^(p × (1/24)): the product in single precision, the power in double.
float PitchRatioOfPosition(int32_t position);
// 2^((q × 0.5) × (1/12)), formed the same way.
float FormantRatioOfPosition(int32_t position);

// What a rendering reads. Spans borrowed; they must not change while it runs.
struct ConversionInput {
  // x: the voice in 16-bit units (the analysis' mono signal); may be longer
  // than the recording (padding), never read at or past `sourceLength`.
  std::span<const float> signal;
  // m: the pitch marks, M + 1 entries (entry 0 = 0, entry i = end of period i).
  std::span<const int32_t> marks;
  // nSrc: samples of the recording (dataSize / 2 of mono 16-bit PCM).
  int32_t sourceLength = 0;
};

// The overlap-add accumulator and the grain windows, kept between renderings
// so that a rendering allocates nothing in the usual case.
class ConversionWork {
 public:
  // Room for `accumulatorLength` accumulator entries (the recording's
  // dataSize: twice its samples, enough for every formant ratio up to 2).
  void Reserve(std::size_t accumulatorLength);
  std::size_t Capacity() const { return m_capacity; }

 private:
  friend struct ConversionWorkAccess;

  std::size_t m_capacity = 0;
  AlignedBuffer<float> m_accumulator;  // m_olaBuffer: capacity entries and a zeroed tail
  std::size_t m_dirty = 0;             // entries [0, m_dirty) may be non-zero
  // The squared Hann windows of recently used grain lengths, direct-mapped by
  // h: consecutive grains of a voice mostly share a length or come close.
  static constexpr int kWindowSlots = 64;
  int32_t m_windowLength[kWindowSlots] = {};
  std::vector<float> m_windows[kWindowSlots];
};

// How a rendering ended.
struct ConversionResult {
  // Samples written to the output from index 0 (Lout, kept inside the
  // output); 0 when no grain was placed and the output is untouched.
  int32_t stored = 0;
  int32_t lola = 0;  // length of the accumulated signal
  int32_t lout = 0;  // length it was resampled to
  bool cancelled = false;
};

// Renders the converted voice into `out` (int16, one entry per source
// sample); entries from `stored` on keep their content. Fewer than three
// marks (M <= 2) place no grain; grains whose length h comes out 0 (a period
// shorter than pr / fr) are left out. Contributions beyond the work's
// capacity are dropped; the output is truncated and clamped to ±32767.
// `cancel`, when given and set, stops the rendering before the output is
// touched (result.cancelled).
ConversionResult RenderConversion(const ConversionInput& input, ConversionRatios ratios,
                                  ConversionWork& work, std::span<int16_t> out,
                                  const std::atomic<bool>* cancel = nullptr);

}  // namespace velmio

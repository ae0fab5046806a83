#pragma once
// Pitch detection for the single-voice mode: the mono signal is walked one
// period at a time, each period estimated by a normalised cross-correlation.
// The results are the pitch marks (where one period ends and the next
// begins), the peak of every period and one canvas row per analysis frame.
#include <cstdint>
#include <span>
#include <vector>

#include "dsp/AlignedBuffer.h"
#include "dsp/CpuFeatures.h"

namespace velmio {

// Marks, peaks and track of one detection.
struct PitchResult {
  // m_markCount + 1 entries: entry 0 is 0, entry i the sample where period i
  // ends. After an unvoiced stretch the last mark may lie up to one 10 ms
  // step past the end of the signal.
  std::vector<int32_t> m_pitchMarks{0};
  // m_markCount + 1 entries: entry 0 is 0, entry i the largest |sample| of
  // period i (truncated, at most 32767), 0 when the period is unvoiced.
  std::vector<int16_t> m_periodPeaks{0};
  int32_t m_markCount = 0;
  // One value per frame: canvas row of the pitch plus the 16-pixel ruler.
  std::vector<int16_t> m_pitchTrack;
};

// What a detection depends on besides the signal.
struct PitchSettings {
  int32_t sampleRate = 44100;
  int32_t a4Frequency = 440;
  int32_t hopSize = 256;
  int32_t highNote = 120;      // top of the analysed range (exclusive): sets the canvas rows
  int32_t pitchLowNote = 31;   // lowest note searched, semitones above C0 (G2)
  int32_t pitchHighNote = 64;  // highest note searched (E5)
  SimdLevel simd = DetectSimdLevel();
};

// Frequency of note n (semitones above C0, A4 = note 57), in single precision.
float NoteFrequency(int32_t note, int32_t a4Frequency);

// Track value of a pitch of `hz` (unvoiced when hz <= 0).
int16_t PitchTrackValue(float hz, int32_t highNote, int32_t a4Frequency);

// The segment and correlation buffers of one detection, sized for its range.
class PeriodScratch {
 public:
  // Room for segments of `length` samples and lags minLag ... maxLag.
  void Reserve(int32_t length, int32_t lagCount);
  float* Segment() { return m_segment.data(); }
  float* Correlation() { return m_correlation.data(); }
  float* Products() { return m_products.data(); }

 private:
  AlignedBuffer<float> m_segment;
  AlignedBuffer<float> m_correlation;
  AlignedBuffer<float> m_products;
};

struct PeriodEstimate {
  float pitch = 0.0f;  // Hz, 0 when unvoiced
  int32_t lag = 0;     // samples, 0 when unvoiced
};

// The period of the `length` samples from `start` (all inside `signal`),
// searched between fMaxHz and fMinHz (whole Hz). `scratch` must have room
// for the segment and the lags.
PeriodEstimate EstimatePeriod(const float* signal, int32_t start, int32_t length, float fs,
                              int32_t fMinHz, int32_t fMaxHz, PeriodScratch& scratch,
                              SimdLevel simd);

// Largest |signal[j]| for begin <= j < end, 0 for an empty range.
float PeakMagnitude(const float* signal, int32_t begin, int32_t end);

// Walks `signal` period by period from sample 0 and fills marks and peaks.
void TrackPitchMarks(std::span<const float> signal, float fs, float fLow, float fHigh,
                     PitchResult& result, SimdLevel simd);

// The whole detection: marks, peaks and `frameCount` track values.
PitchResult DetectPitch(std::span<const float> signal, int32_t frameCount,
                        const PitchSettings& settings);

}  // namespace velmio

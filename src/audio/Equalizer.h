#pragma once
// The graphic equalizer's filter bank: eleven peaking sections, one per
// octave from C0 to C10, run in series over every playback block while the
// equalizer is on, plus the response curves that the equalizer dialog draws.
// The dialog owns one bank for the rest of the run once it has been shown,
// edits it and calls UpdateFilters; the playback engine calls ProcessBlock.
#include <array>
#include <cstdint>

#include "audio/IIRUnit.h"
#include "dsp/AlignedBuffer.h"

namespace velmio {

constexpr int kEqBands = 11;
constexpr int kEqPresets = 4;
constexpr int kEqResponsePoints = 400;
// Samples in the largest block ProcessBlock handles in one pass (32768 bytes).
constexpr int kEqBlockSamples = 16384;

using EqBandGains = std::array<int32_t, kEqBands>;

class Equalizer {
 public:
  // Eleven pass-through sections with empty memory, flat gains, Q 0 (no
  // design yet), work buffers allocated here and nowhere else.
  explicit Equalizer(float sampleRate = 44100.0f);
  Equalizer(const Equalizer&) = delete;
  Equalizer& operator=(const Equalizer&) = delete;

  // Stores the rate for the next designs and responses. The sections keep
  // their coefficients until their band is next redesigned. UI thread.
  void SetSampleRate(float rate);

  // Marks one band (or all of them) to be redesigned by the next UpdateFilters.
  void MarkDirty(int band);
  void MarkAllDirty();

  // Redesigns the dirty bands, taking their gain from `gainsDb` (the slider
  // gains, in dB) into row 0 of m_gainDb, with quality factor `q` (the
  // dialog has refused q <= 0 already; a value that is still not positive
  // counts as 1.0). A Q different from the one of the last design makes every
  // band dirty. Recomputes the response of each redesigned band and the total.
  // Returns the redesigned bands as bits (1 << band), for the gain labels. UI thread.
  uint32_t UpdateFilters(const EqBandGains& gainsDb, float q);

  // Filters `byteCount` bytes of interleaved 16-bit samples in place through
  // the eleven sections; results are truncated toward zero and clamped to
  // -32767 ... 32767. `channels` 1 is mono, anything else stereo. Allocates
  // nothing. UI thread (the playback engine, on each block it queues).
  void ProcessBlock(int16_t* samples, int32_t byteCount, int32_t channels);

  // Centre of band k in Hz: 16.3516 doubled k times, in double precision.
  static double BandCentre(int band);
  // The 400 frequencies of the response curves, 40 per octave from C0.
  static const std::array<float, kEqResponsePoints>& ResponseFrequencies();

  CIIRUnit m_units[kEqBands];
  // Row 0: current gain of each band (dB); rows 1-4: the four presets.
  int32_t m_gainDb[1 + kEqPresets][kEqBands] = {};
  // Element 0: current Q; 1-4: the presets' Q.
  float m_q[1 + kEqPresets] = {};
  int32_t m_dirty[kEqBands] = {};
  float m_bandResponse[kEqBands][kEqResponsePoints] = {};
  float m_totalResponse[kEqResponsePoints] = {};
  float m_sampleRate = 44100.0f;
  int32_t m_enabled = 0;

 private:
  void ComputeBandResponse(int band);

  AlignedBuffer<float> m_workIn;
  AlignedBuffer<float> m_workOut;
  // The Q of the last design; a bank is made once per run, so this is the
  // process-wide value of the design, kept per bank so that banks never
  // influence each other.
  double m_lastDesignQ = 0.0;
};

}  // namespace velmio

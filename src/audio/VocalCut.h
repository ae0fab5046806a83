#pragma once
// Vocal cut and extract: removes (cut) or keeps (extract) what is mixed
// equally into both channels of a stereo recording, typically the lead
// voice, between half a semitone below a chosen lowest note and 16 kHz.
// Frames of 2048 sample frames, a hop of 256, a periodic Hann window in Q15
// on the way in and a scaled one on the way out; each bin of the band gets a
// gain from 0 to 1 by how close the two channels' powers are. The result
// replaces the 16-bit PCM in place.
#include <array>
#include <cstdint>

namespace velmio {

constexpr int kVocalFrame = 2048;
constexpr int kVocalHop = 256;
constexpr int kVocalWorkers = 4;
constexpr int kVocalHighBin = 743;  // 16 kHz at 44.1 kHz, whatever the rate

enum class VocalMode : int32_t { kCut = 1, kExtract = 2 };

struct VocalCutParams {
  VocalMode mode = VocalMode::kCut;
  int32_t lowestNote = 19;  // 0 ... 36: semitones above C2 (19 = G3)
  int32_t a4Frequency = 440;
  int workers = kVocalWorkers;  // any count gives the same samples
};

// w(n) = 0.5 (1 - cos(2 pi n / 2048)), made once. Any thread.
const std::array<float, kVocalFrame>& VocalCutWindow();

// The band's lower edge in Hz: half a semitone below the lowest note.
float VocalBandLowHz(int32_t lowestNote, int32_t a4Frequency);
// The band's first bin, at least 1, for a lower edge of `lowHz`.
int32_t VocalBandLowBin(float lowHz);

// Processes `frames` interleaved stereo sample frames in place. Frames after
// the last whole analysis frame become 0, so a recording of at most 2048
// sample frames becomes silence. Runs `params.workers` threads and returns
// when they are done; the caller's thread only waits.
void ProcessVocals(int16_t* samples, int64_t frames, const VocalCutParams& params);

}  // namespace velmio

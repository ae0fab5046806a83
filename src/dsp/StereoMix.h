#pragma once
// The one stereo-to-mono mix of the program: (left + right) / 2 in integers,
// truncated toward zero (-3 and 0 give -1), for the analysis signal and for
// the single-voice PCM alike.
#include <cstddef>
#include <cstdint>

namespace velmio {

// Mixes `frames` interleaved stereo frames of `stereo` into `mono`. `mono`
// may be `stereo` itself: frame i is written to index i, which no later frame
// reads. Any thread.
template <typename Out>
void MixStereoToMono(const int16_t* stereo, std::size_t frames, Out* mono) {
  for (std::size_t i = 0; i < frames; ++i) {
    mono[i] = static_cast<Out>((int32_t{stereo[2 * i]} + int32_t{stereo[2 * i + 1]}) / 2);
  }
}

}  // namespace velmio

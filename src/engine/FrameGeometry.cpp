#include <algorithm>

#include "engine/Spectrogram.h"

namespace velmio {

FrameGeometry ComputeFrameGeometry(int64_t dataSize, int bitsPerSample, int channels, int hop,
                                   int lowNote, int highNote, int binsPerSemitone) {
  FrameGeometry g;
  const int64_t bytesPerSample = std::max(bitsPerSample / 8, 1);
  g.sampleFrames = static_cast<int32_t>(dataSize / bytesPerSample / std::max(channels, 1));
  g.paddedLength = (g.sampleFrames + 31) / 32 * 32;
  const int32_t frames = hop > 0 ? g.paddedLength / hop : 0;
  g.frameCount = (frames + 3) / 4 * 4;
  g.binCount = binsPerSemitone * (highNote - lowNote);
  g.rowCount = kRowsPerSemitone * (highNote - lowNote);
  return g;
}

}  // namespace velmio

#include "audio/PcmLoading.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <new>

#include "dsp/StereoMix.h"

namespace velmio {
namespace {

// Samples are copied from the file as they are stored.
static_assert(std::endian::native == std::endian::little);

constexpr char kAcceptMessage[] = "16/24bit, 22.05kHz以上のwavファイルのみ有効です。";
constexpr char kReadErrorMessage[] = "File read error.";
constexpr uint32_t kMinSampleRate = 22050;
// Far above any real recording; a header claiming more is damaged, and the
// kernel bank's lengths grow with the rate.
constexpr uint32_t kMaxSampleRate = 384000;

bool IsAccepted(const WaveFormat& format) {
  if (format.nChannels != 1 && format.nChannels != 2) return false;
  if (format.wBitsPerSample != 16 && format.wBitsPerSample != 24) return false;
  if (format.nSamplesPerSec < kMinSampleRate || format.nSamplesPerSec > kMaxSampleRate)
    return false;
  // Samples must be packed at their own width: 24-bit samples in 4-byte
  // containers would be cut into 3-byte pieces and turn to noise.
  if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return false;
  // The byte rate is recomputed below and must fit its 32-bit field.
  return uint64_t{format.nSamplesPerSec} * format.nBlockAlign <=
         std::numeric_limits<uint32_t>::max();
}

// The byte rate is redundant in the header and some writers get it wrong, but
// playback divides by it: derive it rather than trust it.
void RepairByteRate(WaveFormat& format) {
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
}

// Allocation of a checked size can still fail when memory is short; that is a
// failed load, not an exception leaving the audio layer.
template <typename T>
bool TryAllocate(AlignedBuffer<T>& buffer, std::size_t count) {
  try {
    buffer.Reset(count);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Each sample: three bytes, little-endian, two's complement. Placing them in
// the top of an int32 and shifting back sign-extends. Dividing by 256 with
// truncation toward zero equals the single-precision × (1/256) and truncation
// of the conversion by 1/256, since both are exact for 24-bit values.
void Convert24To16(const uint8_t* source, std::size_t count, int16_t* destination) {
  for (std::size_t i = 0; i < count; ++i, source += 3) {
    const uint32_t top =
        uint32_t{source[0]} << 8 | uint32_t{source[1]} << 16 | uint32_t{source[2]} << 24;
    const int32_t value = static_cast<int32_t>(top) >> 8;
    destination[i] = static_cast<int16_t>(value / 256);
  }
}

bool Read16(WaveData& data) {
  const auto bytes = static_cast<std::size_t>(data.m_wave.dataSize);
  if (!TryAllocate(data.m_samples, bytes / 2)) return false;
  return data.m_wave.ReadData(data.m_samples.data(), data.m_wave.dataSize) == data.m_wave.dataSize;
}

bool Read24(WaveData& data) {
  CWaveFile& wave = data.m_wave;
  const auto count = static_cast<std::size_t>(wave.dataSize) / 3;
  AlignedBuffer<uint8_t> raw;
  if (!TryAllocate(raw, static_cast<std::size_t>(wave.dataSize))) return false;
  if (wave.ReadData(raw.data(), wave.dataSize) != wave.dataSize) return false;
  if (!TryAllocate(data.m_samples, count)) return false;
  Convert24To16(raw.data(), count, data.m_samples.data());
  WaveFormat& format = wave.format;
  format.wBitsPerSample = 16;
  format.nAvgBytesPerSec = static_cast<uint32_t>(uint64_t{format.nAvgBytesPerSec} * 2 / 3);
  format.nBlockAlign = static_cast<uint16_t>(format.nBlockAlign * 2 / 3);
  wave.dataSize = static_cast<int32_t>(count * 2);
  return true;
}

bool ReadSamples(WaveData& data) {
  CWaveFile& wave = data.m_wave;
  // Every reader counts in whole frames; a data chunk that stops inside a
  // frame is a damaged file, refused like one that stops early.
  if (wave.dataSize % wave.format.nBlockAlign != 0) return false;
  // Checked before allocating: a size field may claim far more than the file holds.
  if (wave.dataSize > wave.DataBytesLeft()) return false;
  return wave.format.wBitsPerSample == 24 ? Read24(data) : Read16(data);
}

bool Refuse(WaveData& data, const ReportFn& report, const char* message) {
  if (report) report(message);
  data.m_wave.Close();
  data.m_samples.Free();
  data.m_wave.dataSize = 0;
  return false;
}

}  // namespace

bool LoadPcm(WaveData& data, const ReportFn& report, const std::function<void()>& onAccepted) {
  WaveFormat& format = data.m_wave.format;
  if (!IsAccepted(format)) return Refuse(data, report, kAcceptMessage);
  if (onAccepted) onAccepted();
  RepairByteRate(format);
  data.m_samples.Free();
  const int32_t sourceBits = format.wBitsPerSample;
  if (!ReadSamples(data)) return Refuse(data, report, kReadErrorMessage);
  data.m_sourceBits = sourceBits;
  return true;
}

void MixPcmToMono(WaveData& data) {
  CWaveFile& wave = data.m_wave;
  WaveFormat& format = wave.format;
  if (format.nChannels != 2 || format.wBitsPerSample != 16) return;
  const std::size_t frames =
      std::min(static_cast<std::size_t>(wave.dataSize) / 4, data.m_samples.size() / 2);
  MixStereoToMono(data.m_samples.data(), frames, data.m_samples.data());
  format.nBlockAlign /= 2;
  format.nAvgBytesPerSec /= 2;
  wave.dataSize /= 2;
  format.nChannels = 1;
}

}  // namespace velmio

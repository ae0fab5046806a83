#pragma once
// A playback engine on a virtual output, with a recording whose every sample
// differs from its neighbours (so a block taken from the wrong place shows),
// and hooks that count what the engine asks of the view.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "audio/PlaybackEngine.h"
#include "audio/VirtualWaveOutDevice.h"

namespace velmio::test {

constexpr int32_t kHop = 256;  // samples per frame at 44.1 kHz

// Interleaved 16-bit samples from a fixed pseudo-random sequence.
inline std::vector<int16_t> PatternSamples(int32_t count, uint32_t seed = 12345) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  uint32_t state = seed;
  for (int16_t& s : samples) {
    state = state * 1664525u + 1013904223u;
    s = static_cast<int16_t>(state >> 16);
  }
  return samples;
}

struct PlaybackRig {
  // A recording of `dataBytes` bytes (a whole number of sample frames) with
  // `channels` channels at `rate` Hz, taken over and ready to play.
  PlaybackRig(int channels, int32_t dataBytes, int rate = 44100, std::size_t reserve = 0)
      : samples(PatternSamples(dataBytes / 2)),
        device(reserve, reserve / 4096),
        engine(device, Hooks()) {
    MakePcm16Format(format, channels, rate);
    dataSize = dataBytes;
    engine.TakeOver(channels, rate);
  }

  PlaybackHooks Hooks() {
    PlaybackHooks hooks;
    hooks.report = [this](const std::string& m) { messages.push_back(m); };
    hooks.recording = [this] {
      return PlaybackSource{std::span<const int16_t>(samples), dataSize, format, kHop};
    };
    hooks.convertedSamples = [this] { return std::span<const int16_t>(converted); };
    hooks.renderConvertedSamples = [this] { ++renders; };
    hooks.revealFrame = [this](int32_t frame) { revealed.push_back(frame); };
    hooks.startCursorTimer = [this] { timerRunning = true; };
    hooks.stopCursorTimer = [this] { timerRunning = false; };
    return hooks;
  }

  int32_t BytesPerFrame() const { return format.nBlockAlign * kHop; }

  // The recording's bytes [from, to).
  std::vector<uint8_t> Bytes(int64_t from, int64_t to) const {
    const auto* p = reinterpret_cast<const uint8_t*>(samples.data());
    return {p + from, p + to};
  }

  // Lets the device play until it runs dry (at most `limit` bytes).
  int64_t RunOut(int64_t limit = int64_t{1} << 30) { return device.Advance(limit); }

  std::vector<int16_t> samples;
  std::vector<int16_t> converted;
  WaveFormat format;
  int32_t dataSize = 0;
  std::vector<std::string> messages;
  std::vector<int32_t> revealed;
  int renders = 0;
  bool timerRunning = false;
  VirtualWaveOutDevice device;
  PlaybackEngine engine;
};

}  // namespace velmio::test

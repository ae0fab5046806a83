#pragma once
// Slower / faster playback and transposition: a Rubber Band stretcher in
// real-time mode (the R3 engine) between the recording's 16-bit PCM and the
// output. The playback engine pulls whole output blocks from it; velmio-cli
// stretch runs the same engine. Made outside the playback path, it allocates
// nothing while rendering. One thread at a time (the UI thread in the program).
#include <cstdint>
#include <memory>

#include "dsp/AlignedBuffer.h"

namespace RubberBand {
class RubberBandStretcher;
}

namespace velmio {

constexpr double kMinSpeedPercent = 25.0;
constexpr double kMaxSpeedPercent = 200.0;
constexpr int32_t kMaxTransposeSemitones = 12;
constexpr int32_t kMaxTransposeCents = 50;

// How fast and in which key playback sounds. 100 % / 0 / 0 leaves the sound
// untouched (the stretcher is bypassed).
struct StretchSettings {
  double speedPercent = 100.0;  // 25 ... 200
  int32_t semitones = 0;        // -12 ... +12
  int32_t cents = 0;            // -50 ... +50

  bool IsBypass() const { return speedPercent == 100.0 && semitones == 0 && cents == 0; }
  // Source frames per output frame.
  double Speed() const { return speedPercent / 100.0; }
  // Output length over input length.
  double TimeRatio() const { return 100.0 / speedPercent; }
  // Frequency factor of the transposition.
  double PitchScale() const;
  bool operator==(const StretchSettings&) const = default;
};

// The settings brought into their ranges.
StretchSettings ClampStretch(const StretchSettings& settings);

// The speed presets users pick most.
constexpr double kSpeedPresets[] = {50.0, 67.0, 75.0, 80.0, 90.0, 100.0};
// One step slower (direction < 0) or faster on the 5 % grid, from any speed
// (67 % goes to 65 % or 70 %), kept in range.
double StepSpeed(double speedPercent, int direction);

// Where the stretcher reads the source: fills `out` with up to `maxFrames`
// interleaved frames and returns how many it gave; 0 means the source has
// ended.
class StretchInput {
 public:
  virtual int32_t Read(int16_t* out, int32_t maxFrames) = 0;

 protected:
  ~StretchInput() = default;
};

class Stretcher {
 public:
  // Source frames handed to the stretcher in one call, at most.
  static constexpr int32_t kFeedFrames = 1024;

  // For interleaved 16-bit audio of 1 or 2 channels at `sampleRate` Hz.
  // Allocates everything rendering will use.
  Stretcher(int32_t channels, int32_t sampleRate);
  ~Stretcher();
  Stretcher(const Stretcher&) = delete;
  Stretcher& operator=(const Stretcher&) = delete;

  int32_t Channels() const { return m_channels; }
  int32_t SampleRate() const { return m_sampleRate; }

  // Begins a new stream at `settings`: forgets what was fed before and
  // aligns the output with the input, so that output frame n sounds source
  // frame n × speed.
  void Start(const StretchSettings& settings);

  // Fills `out` with up to `frames` interleaved output frames, reading the
  // source from `input` as needed. Returns fewer than `frames` only once
  // the source has ended and everything it gave has been rendered.
  int32_t Render(int16_t* out, int32_t frames, StretchInput& input);

 private:
  void FeedSilence(int32_t frames);
  void Feed(const int16_t* interleaved, int32_t frames);
  int32_t Take(int16_t* out, int32_t frames);

  int32_t m_channels = 0;
  int32_t m_sampleRate = 0;
  std::unique_ptr<RubberBand::RubberBandStretcher> m_stretcher;
  AlignedBuffer<float> m_planes;  // input then output, kFeedFrames per channel each
  AlignedBuffer<int16_t> m_readBuffer;
  double m_timeRatio = 1.0;
  int64_t m_toDrop = 0;        // output frames of the start delay still to skip
  int64_t m_inputFrames = 0;   // source frames fed since Start
  int64_t m_outputFrames = 0;  // output frames given since Start
  bool m_inputEnded = false;
};

}  // namespace velmio
